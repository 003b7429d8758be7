// creation_steps.h - the seam through which a test makes window and GDI
// object creation fail.
//
// Every window and GDI object this front end makes is made in a
// CreationStep. Normally the step just runs. A test may install a
// CreationWatch that sees every handle made and may fail any step, as the
// system does when it runs out of resources, to check that each error path
// gives back everything taken before it.
//
//   UniqueFont font(CreationStep(HandleKind::GdiObject, [&] { return CreateFontIndirectW(&logFont); }));
#pragma once

namespace pelmic::win32 {

enum class HandleKind { Window, GdiObject };

class CreationWatch {
 public:
  // False fails the step: it returns no handle without asking the system.
  virtual bool MayCreate(HandleKind kind) = 0;
  virtual void Created(HandleKind kind, void* handle) = 0;

 protected:
  ~CreationWatch() = default;
};

// nullptr (the default) lets every step run unwatched.
void SetCreationWatch(CreationWatch* watch);
CreationWatch* CurrentCreationWatch();

// What `create` returns, or nullptr if the watch fails this step.
template <typename Create>
auto CreationStep(HandleKind kind, Create create) -> decltype(create()) {
  CreationWatch* watch = CurrentCreationWatch();
  if (watch == nullptr) return create();
  if (!watch->MayCreate(kind)) return nullptr;
  const auto handle = create();
  if (handle != nullptr) watch->Created(kind, handle);
  return handle;
}

}  // namespace pelmic::win32
