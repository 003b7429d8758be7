// SPDX-License-Identifier: MIT
// page.js - the page around the program (pelmic.js): it loads the program,
// measures the window, sizes the canvas, offers full screen, keeps the screen
// on in the saver, queues input for the saver and gives the program its turns
// of the event loop. The program draws; this file only tells it what the page
// wants.
'use strict';

(function () {
  const RunKind = { page: 0, saver: 1 };
  const Input = { key: 1, click: 2, pointerMove: 3, close: 4 };
  // A burst of resizes (a dragged edge, toolbars sliding in, a rotation)
  // settles before the picture starts again, at the size reported last.
  const resizeSettleMs = 150;

  const canvas = document.getElementById('picture');
  const context = canvas.getContext('2d', { alpha: false });
  const fullScreenButton = document.getElementById('full-screen');
  const message = document.getElementById('message');
  const viewportElement = document.getElementById('viewport');
  const parameters = new URLSearchParams(location.search);

  let reproducible = false;
  let viewport = null;      // the window (or the screen, in full screen) in device pixels
  let activeRun = null;     // the RunKind being drawn, null while the program has none
  let wantedRun = null;     // the RunKind the page wants next
  let pictureSize = null;   // the active picture's backing store
  let inputQueue = [];
  let frameDue = true;
  let resizeTimer = 0;

  // The program (pelmic.js) once loaded, and whether it has work: then it
  // takes one turn of its loop in every turn the page gives it, until it says
  // it has none (it waits for the page to want a picture).
  let program = null;
  let working = false;
  function turnWanted() {
    return working && !document.hidden;
  }

  // One turn of the event loop per turn of the program: it runs in a task of
  // its own, after the input and painting already waiting, without the 4 ms
  // clamp of nested timers. A message to ourselves is the cheapest such task
  // in Chromium and Firefox. WebKit sends MessagePort messages through
  // another process, at 5 to 10 times the cost; there an echo from a worker
  // is the cheapest. WebKit is told apart by what it lacks: the task
  // scheduler (window.scheduler) of the other two.
  // (scheduler.yield would be cheaper still, but its continuations go before
  // every other task of the page, so that timers and messages starve.)
  // A hidden page takes its next turn once it is shown again.
  // Sixteen messages are kept going at once, so that a turn need not wait for
  // the last one to come back; each still runs the program in a task of its
  // own. Those back are sent out again eight at a time, in one request. One
  // that finds the program without work (or the page hidden) is kept back and
  // sent again only when a turn is asked for, so that a page at rest sends none.
  const messagesInFlight = 16;
  const messagesResent = 8;
  function turnsBy(send, onArrival) {
    let kept = messagesInFlight;
    onArrival(function () {
      kept++;
      if (!turnWanted()) return;
      if (kept >= messagesResent) {
        send(kept);
        kept = 0;
      }
      working = program._pelmic_turn() !== 0;
    });
    return function () {
      if (kept < messagesInFlight) return;  // one is on its way
      send(kept);
      kept = 0;
    };
  }
  function channelTurns() {
    const channel = new MessageChannel();
    return turnsBy(function (count) { for (let n = 0; n < count; n++) channel.port2.postMessage(null); },
                   function (arrived) { channel.port1.onmessage = arrived; });
  }
  function workerTurns() {
    const echo = new Blob(['onmessage = function (request) { for (let n = 0; n < request.data; n++) postMessage(null); };'],
                          { type: 'text/javascript' });
    const worker = new Worker(URL.createObjectURL(echo));
    // A worker refused (a policy, a setting): messages to ourselves, and the
    // turn asked for is taken that way.
    worker.onerror = function () {
      takeTurn = channelTurns();
      if (turnWanted()) takeTurn();
    };
    return turnsBy(function (count) { worker.postMessage(count); },
                   function (arrived) { worker.onmessage = arrived; });
  }
  function chooseTurns() {
    if (window.scheduler) return channelTurns();
    try {
      return workerTurns();
    } catch (refused) {
      return channelTurns();
    }
  }
  let takeTurn = chooseTurns();
  // The program has work again: a picture is wanted.
  function wake() {
    if (program === null || working) return;
    working = true;
    if (turnWanted()) takeTurn();
  }
  document.addEventListener('visibilitychange', function () {
    holdScreen();
    if (turnWanted()) takeTurn();
  });

  // While the saver runs the screen stays on, where the browser offers a
  // wake lock. The browser drops the lock whenever the page is hidden: it is
  // asked for again when the page is shown. A refusal (a battery saver, a
  // policy) leaves the screen to the system, as without one.
  let screenWanted = false;
  let wakeLock = null;  // the request on its way, or the lock held
  function holdScreen() {
    if (!screenWanted || wakeLock || !navigator.wakeLock || document.visibilityState !== 'visible') return;
    const request = navigator.wakeLock.request('screen').then(function (lock) {
      lock.addEventListener('release', function () {
        if (wakeLock === request) wakeLock = null;
      });
      return lock;
    }, function () {
      if (wakeLock === request) wakeLock = null;
      return null;
    });
    wakeLock = request;
  }
  function releaseScreen() {
    if (wakeLock) wakeLock.then(function (lock) { if (lock) lock.release(); });
    wakeLock = null;
  }

  function frame() {
    frameDue = true;
    requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);

  function want(kind) {
    wantedRun = kind;
    if (activeRun !== null) inputQueue.push({ kind: Input.close, x: 0, y: 0 });
    wake();
  }

  // The viewport in device pixels: as the browser snaps it where it says so,
  // else (older browsers, an emulated pixel ratio it does not report there)
  // the CSS size times the pixel ratio.
  function deviceSize(entry) {
    const css = entry.contentRect;
    const size = { width: Math.round(css.width * devicePixelRatio), height: Math.round(css.height * devicePixelRatio) };
    const device = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
    if (device && Math.abs(device.inlineSize - size.width) <= 1 && Math.abs(device.blockSize - size.height) <= 1) {
      size.width = device.inlineSize;
      size.height = device.blockSize;
    }
    size.width = Math.max(1, size.width);
    size.height = Math.max(1, size.height);
    return size;
  }

  function watchViewport() {
    const observer = new ResizeObserver(function (entries) {
      const size = deviceSize(entries[entries.length - 1]);
      const first = viewport === null;
      viewport = size;
      if (first) {
        want(RunKind.page);
      } else {
        clearTimeout(resizeTimer);
        resizeTimer = setTimeout(resized, resizeSettleMs);
      }
    });
    try {
      observer.observe(viewportElement, { box: 'device-pixel-content-box' });
    } catch (notSupported) {
      observer.observe(viewportElement);
    }
  }

  // A fresh picture, or a fresh saver, at the new size. The saver measures
  // its screen once, when it starts: full screen that grows late (WebKit,
  // under load) or a phone's window that turns starts it afresh. A run on its
  // way takes the size reported last; a picture of a given size keeps it.
  function resized() {
    resizeTimer = 0;
    if (wantedRun !== null || (reproducible && parameters.has('size')) || !resizedPicture()) return;
    want(activeRun === RunKind.saver ? RunKind.saver : RunKind.page);
  }
  function resizedPicture() {
    return !pictureSize || pictureSize.width !== viewport.width || pictureSize.height !== viewport.height;
  }

  // Phones mostly give full screen to videos only: there the saver fills the
  // window instead, and the button says so.
  const fullScreenOffered = Boolean(document.fullscreenEnabled && canvas.requestFullscreen);
  let windowedSaver = false;

  function enterSaver() {
    if (reproducible || document.fullscreenElement || windowedSaver) return;
    if (!fullScreenOffered) {
      windowedSaver = true;
      document.body.classList.add('saver');
      want(RunKind.saver);
      return;
    }
    canvas.requestFullscreen({ navigationUI: 'hide' }).catch(function () {
      // Refused (an embedding frame, a browser setting): the page stays as it is.
    });
  }

  // The saver starts at the size the browser reports when it takes the
  // program's next turn; a size it reports later restarts it (resized).
  document.addEventListener('fullscreenchange', function () {
    want(document.fullscreenElement === canvas ? RunKind.saver : RunKind.page);
  });

  fullScreenButton.addEventListener('click', enterSaver);
  if (!fullScreenOffered) {
    fullScreenButton.textContent = 'Saver in this window';
    fullScreenButton.title = 'A tap, key or click returns to this page';
    document.getElementById('no-full-screen').hidden = false;
  }

  // The saver's input; on the page itself only F means something. A key or a
  // click while the saver restarts at a new size leaves it instead. While a
  // new size settles that will start it afresh, the pointer's place in the
  // old layout is no move: the saver that starts afresh records where it
  // rests. A size that settles where the saver already is (full screen that
  // the saver started in) changes nothing, so the pointer counts meanwhile.
  function queueInput(kind, x, y) {
    if (activeRun !== RunKind.saver) return;
    if (kind === Input.pointerMove && (wantedRun !== null || (resizeTimer !== 0 && resizedPicture()))) return;
    inputQueue.push({ kind: kind, x: x, y: y });
    if (kind !== Input.pointerMove && wantedRun === RunKind.saver) wantedRun = null;
  }
  window.addEventListener('keydown', function (event) {
    if (activeRun === RunKind.saver) {
      event.preventDefault();
      // A repeat only continues a press the saver has already seen, or one
      // made before it started (the F that started it).
      if (!event.repeat) queueInput(Input.key, 0, 0);
    } else if (event.key.toLowerCase() === 'f' && !event.ctrlKey && !event.altKey && !event.metaKey) {
      event.preventDefault();
      enterSaver();
    }
  }, true);
  // A tap is a click. A finger resting since before the saver started moves
  // like a resting mouse: its first position is only recorded.
  window.addEventListener('pointerdown', function () {
    queueInput(Input.click, 0, 0);
  }, true);
  window.addEventListener('pointermove', function (event) {
    queueInput(Input.pointerMove, event.clientX * devicePixelRatio, event.clientY * devicePixelRatio);
  }, true);

  // What the program calls (pelmic_library.js).
  const page = {
    // The run the page wants, now that the program has none.
    takeRun: function () {
      activeRun = null;
      if (wantedRun === null || viewport === null) return null;
      activeRun = wantedRun;
      wantedRun = null;
      inputQueue = [];
      return { kind: activeRun, width: viewport.width, height: viewport.height };
    },
    takeInput: function () {
      return inputQueue.length > 0 ? inputQueue.shift() : null;
    },
    takeFrame: function () {
      const due = frameDue;
      frameDue = false;
      return due;
    },
    urlParameter: function (name) {
      return parameters.get(name);
    },
    enterReproducibleMode: function () {
      reproducible = true;
      document.body.classList.add('reproducible');
    },
    beginPicture: function (width, height) {
      canvas.width = width;
      canvas.height = height;
      pictureSize = { width: width, height: height };
      if (reproducible) {
        canvas.style.width = width / devicePixelRatio + 'px';
        canvas.style.height = height / devicePixelRatio + 'px';
      }
      context.fillStyle = '#000';
      context.fillRect(0, 0, width, height);
    },
    putPixels: function (image, left, top) {
      context.putImageData(image, left, top);
    },
    setTitle: function (title) {
      document.title = title;
    },
    showError: function (text) {
      document.title = 'Pelmic: error';
      message.textContent = 'Pelmic: ' + text;
      message.hidden = false;
    },
    setCursorHidden: function (hidden) {
      canvas.style.cursor = hidden ? 'none' : '';
    },
    keepScreenOn: function (on) {
      screenWanted = on;
      if (on) holdScreen(); else releaseScreen();
    },
    leaveFullScreen: function () {
      // A saver that ends to start afresh at a new size keeps the screen.
      if (wantedRun === RunKind.saver) return;
      if (windowedSaver) {
        windowedSaver = false;
        document.body.classList.remove('saver');
        want(RunKind.page);
      }
      if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    },
    alert: function (text) {
      window.alert(text);
    },
  };

  // The program. Served, it loads once the page's first picture (the
  // caption) is on the screen, so that its download (over a phone's network,
  // say) never holds that up, nor the page's input; pelmic.wasm compiles while
  // it downloads, beside pelmic.js. Elsewhere (from disk) there is nothing to
  // download, and a file beside the page cannot be fetched: its bytes come as
  // a script, at once.
  const served = location.protocol === 'http:' || location.protocol === 'https:';
  function loadProgram() {
    let compiled = null;
    if (served) {
      // A server that does not call it application/wasm refuses streaming:
      // the same download is then compiled whole, not fetched again.
      compiled = fetch('pelmic.wasm').then(function (response) {
        return WebAssembly.compileStreaming(response.clone()).catch(function () {
          return response.arrayBuffer().then(function (bytes) { return WebAssembly.compile(bytes); });
        });
      });
    } else {
      loadScript('pelmic-wasm.js').onload = function () {
        compiled = WebAssembly.compile(bytesOfBase64(self.pelmicWasm));
        delete self.pelmicWasm;
      };
    }
    loadScript('pelmic.js').onload = function () {
      createPelmic({ page: page, instantiateWasm: function (imports, receive) {
        compiled.then(function (module) {
          return WebAssembly.instantiate(module, imports).then(function (instance) { receive(instance, module); });
        }).catch(function (error) { page.showError('the program did not load: ' + error.message); });
        return {};
      } }).then(function (loaded) {
        program = loaded;
        wake();
      });
    };
  }
  function loadScript(source) {
    const script = document.createElement('script');
    script.src = source;
    script.async = false;  // run in the order added
    document.head.appendChild(script);
    return script;
  }
  function bytesOfBase64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // On the screen is what the browser reports as the first contentful paint.
  // A page hidden meanwhile paints nothing: it loads the program at once. A
  // browser that reports no paints: once the first frame is painted.
  function loadOnceShown() {
    let loading = false;
    function loadOnce() {
      if (!loading) loadProgram();
      loading = true;
    }
    if (document.hidden) return loadOnce();
    document.addEventListener('visibilitychange', loadOnce, { once: true });
    if (!window.PerformanceObserver || !(PerformanceObserver.supportedEntryTypes || []).includes('paint')) {
      // A frame is rendered right after its animation-frame callbacks, so a
      // task they queue runs once it is painted: a message, which no timer
      // clamp delays.
      requestAnimationFrame(function () {
        const painted = new MessageChannel();
        painted.port1.onmessage = loadOnce;
        painted.port2.postMessage(null);
      });
      return;
    }
    new PerformanceObserver(function (list, observer) {
      if (list.getEntriesByName('first-contentful-paint').length === 0) return;
      observer.disconnect();
      loadOnce();
    }).observe({ type: 'paint', buffered: true });
  }

  watchViewport();
  if (served) loadOnceShown(); else loadProgram();
})();
