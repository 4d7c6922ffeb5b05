// The plug-in view: the editor in the host's window. It holds the plug-in
// while it lives; the host's UI thread makes every call.
#pragma once

#include <atomic>
#include <memory>

#include "instrument/panel/PanelEditor.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Plugin.h"

class Vst3View final : public vst3::IPlugView,
                       public vst3::IPlugViewContentScaleSupport,
                       public vst3::IEventHandler,
                       public vst3::ITimerHandler {
 public:
  explicit Vst3View(Vst3Plugin& plugin);
  ~Vst3View();
  Vst3View(const Vst3View&) = delete;
  Vst3View& operator=(const Vst3View&) = delete;

  vst3::tresult queryInterface(const vst3::TUID iid, void** object) override;
  vst3::uint32 addRef() override;
  vst3::uint32 release() override;

  vst3::tresult isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult attached(void* parent, vst3::FIDString type) override;
  vst3::tresult removed() override;
  vst3::tresult onWheel(float distance) override;
  vst3::tresult onKeyDown(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult onKeyUp(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult getSize(vst3::ViewRect* size) override;
  vst3::tresult onSize(vst3::ViewRect* size) override;
  vst3::tresult onFocus(vst3::TBool state) override;
  vst3::tresult setFrame(vst3::IPlugFrame* frame) override;
  vst3::tresult canResize() override;
  vst3::tresult checkSizeConstraint(vst3::ViewRect* rect) override;
  vst3::tresult setContentScaleFactor(float factor) override;

  // The host's run loop: the display connection has input, or a tick is due.
  void onFDIsSet(int descriptor) override;
  void onTimer() override;

 private:
  // Closes the window and lets go of the run loop's timer and descriptor.
  void Close();
  // The editor, made when the host first asks for its size, scale or window.
  panel::PanelEditor& Editor();
  void Idle();

  std::atomic<vst3::uint32> references_{1};
  Vst3Plugin& plugin_;                 // held
  vst3::IPlugFrame* frame_ = nullptr;  // held
  vst3::IRunLoop* runLoop_ = nullptr;  // held
  bool timerRegistered_ = false;
  bool descriptorRegistered_ = false;
  std::unique_ptr<panel::PanelEditor> editor_;
};
