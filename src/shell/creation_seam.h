// SPDX-License-Identifier: MIT
// creation_seam.h - the seam through which a test makes a platform's
// creation of windows and other system resources fail.
//
// Each front end makes every window, buffer or GDI object in a creation step
// of its own `Made` enum. In what ships the step just runs. The tests' build
// of a front end (PELMIC_TEST_HOOKS) may install a CreationWatch that sees
// everything made and may fail any step, as the system does when it refuses,
// to check that each error path gives back everything taken before it.
//
//   enum class Made { Window, Framebuffer };
//   using Seam = shell::CreationSeam<Made>;
//   auto* window = Seam::Step(Made::Window, [&] { return CreateTheWindow(); }, [] { NoteRefusal(); });
#pragma once

namespace pelmic::shell {

template <typename Kind>
class CreationWatch {
 public:
  // False fails the step: it returns null without asking the system.
  virtual bool MayCreate(Kind what) = 0;
  virtual void Created(Kind what, void* made) = 0;

 protected:
  ~CreationWatch() = default;
};

template <typename Kind>
class CreationSeam {
 public:
#ifdef PELMIC_TEST_HOOKS
  // nullptr (the default) lets every step run unwatched.
  static void SetWatch(CreationWatch<Kind>* watch) { watch_ = watch; }
#endif

  // What `create` returns, or null if the watch fails this step; then
  // `refused` runs first, so the platform's error report can say why.
  template <typename Create, typename Refused>
  static auto Step([[maybe_unused]] Kind what, Create create, [[maybe_unused]] Refused refused)
      -> decltype(create()) {
#ifndef PELMIC_TEST_HOOKS
    return create();
#else
    if (watch_ == nullptr) return create();
    if (!watch_->MayCreate(what)) {
      refused();
      return nullptr;
    }
    const auto made = create();
    if (made != nullptr) watch_->Created(what, made);
    return made;
#endif
  }

#ifdef PELMIC_TEST_HOOKS
 private:
  static inline CreationWatch<Kind>* watch_ = nullptr;
#endif
};

}  // namespace pelmic::shell
