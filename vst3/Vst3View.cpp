// The editor as the plug-in view: the panel as a child of the host's
// window (an X window on Linux, an HWND on Windows) at one of its sizes,
// which the host may choose (keeping the proportions) or scale. On
// Linux the host's run loop runs it, as the interface requires there: a
// timer for the redraw tick and the display connection's descriptor for
// input between ticks, both on the host's UI thread. On Windows the
// editor's own window timer drives it.
#include "vst3/Vst3View.h"

#include <cstring>

#include "instrument/panel/PanelLayout.h"
#include "ui/Editor.h"
#include "ui/PanelZoom.h"

using namespace vst3;

namespace {

#ifdef _WIN32
constexpr FIDString kOurPlatform = kPlatformTypeHWND;
#else
constexpr FIDString kOurPlatform = kPlatformTypeX11EmbedWindowID;
#endif

bool IsOurPlatform(FIDString type) { return type && std::strcmp(type, kOurPlatform) == 0; }

}  // namespace

Vst3View::Vst3View(Vst3Plugin& plugin) : plugin_(plugin) { plugin_.addRef(); }

Vst3View::~Vst3View() {
  Close();
  setFrame(nullptr);
  plugin_.ViewClosed(this);
  plugin_.release();
}

tresult Vst3View::queryInterface(const TUID iid, void** object) {
  if (!object) return kInvalidArgument;
  void* found = nullptr;
  if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPlugView::iid))
    found = static_cast<IPlugView*>(this);
  else if (SameUid(iid, IPlugViewContentScaleSupport::iid))
    found = static_cast<IPlugViewContentScaleSupport*>(this);
  else if (SameUid(iid, IEventHandler::iid))
    found = static_cast<IEventHandler*>(this);
  else if (SameUid(iid, ITimerHandler::iid))
    found = static_cast<ITimerHandler*>(this);
  *object = found;
  if (!found) return kNoInterface;
  addRef();
  return kResultOk;
}

uint32 Vst3View::addRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 Vst3View::release() {
  const uint32 left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

tresult Vst3View::isPlatformTypeSupported(FIDString type) { return IsOurPlatform(type) ? kResultTrue : kResultFalse; }

tresult Vst3View::attached(void* parent, FIDString type) {
  if (!parent || !IsOurPlatform(type)) return kResultFalse;
  // The editor made for getSize or the host's scale stays: the window opens
  // at the size the host was told.
  if (editor_ && editor_->Window().IsWindowOpen()) Close();
#ifndef _WIN32
  // Without the host's run loop nothing would ever draw or answer.
  if (!runLoop_) return kResultFalse;
#endif
  try {
    if (!Editor().Window().OpenWindow(parent)) {
      editor_.reset();
      return kResultFalse;
    }
  } catch (...) {
    editor_.reset();
    return kResultFalse;
  }
#ifndef _WIN32
  const int period = editor_->Window().TimerPeriodMs();
  timerRegistered_ = runLoop_->registerTimer(this, static_cast<uint64>(period > 0 ? period : 40)) == kResultOk;
  const int descriptor = editor_->Window().EventDescriptor();
  if (descriptor >= 0) descriptorRegistered_ = runLoop_->registerEventHandler(this, descriptor) == kResultOk;
#endif
  return kResultOk;
}

tresult Vst3View::removed() {
  Close();
  return kResultOk;
}

void Vst3View::Close() {
  if (runLoop_) {
    if (timerRegistered_) runLoop_->unregisterTimer(this);
    if (descriptorRegistered_) runLoop_->unregisterEventHandler(this);
  }
  timerRegistered_ = descriptorRegistered_ = false;
  if (editor_) editor_->Window().CloseWindow();
  editor_.reset();
}

// Keys reach the panel's own window; the host keeps those it forwards.
tresult Vst3View::onWheel(float /*distance*/) { return kResultFalse; }
tresult Vst3View::onKeyDown(char16 /*key*/, int16 /*keyCode*/, int16 /*modifiers*/) { return kResultFalse; }
tresult Vst3View::onKeyUp(char16 /*key*/, int16 /*keyCode*/, int16 /*modifiers*/) { return kResultFalse; }

panel::PanelEditor& Vst3View::Editor() {
  if (!editor_) {
    editor_ = std::make_unique<panel::PanelEditor>(plugin_.Instrument(), plugin_.MakeEditor());
    editor_->SetResizeRequest([this](int width, int height) {
      if (!frame_) return false;
      ViewRect rect{0, 0, width, height};
      // Hosts answer with onSize, inside the call or later.
      return frame_->resizeView(this, &rect) == kResultOk;
    });
  }
  return *editor_;
}

tresult Vst3View::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  try {
    *size = {0, 0, Editor().Width(), Editor().Height()};
  } catch (...) {
    return kResultFalse;
  }
  return kResultOk;
}

// The panel's own sizes (checkSizeConstraint gives them): others are refused.
tresult Vst3View::onSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  for (int zoom : kZoomSteps) {
    if (size->right - size->left != Zoomed(panel::kPanelWidth, zoom) ||
        size->bottom - size->top != Zoomed(panel::kPanelHeight, zoom))
      continue;
    if (editor_) editor_->ShowAtZoom(zoom, true);
    return kResultOk;
  }
  return kResultFalse;
}

tresult Vst3View::setContentScaleFactor(float factor) {
  if (!(factor > 0)) return kInvalidArgument;
  try {
    Editor().SetHostScale(factor);
  } catch (...) {
    return kResultFalse;
  }
  return kResultOk;
}

tresult Vst3View::onFocus(TBool /*state*/) { return kResultOk; }

tresult Vst3View::setFrame(IPlugFrame* frame) {
  if (runLoop_ && (timerRegistered_ || descriptorRegistered_)) Close();
  if (runLoop_) runLoop_->release();
  runLoop_ = nullptr;
  if (frame_) frame_->release();
  frame_ = frame;
  if (!frame_) return kResultOk;
  frame_->addRef();
  void* found = nullptr;
  if (frame_->queryInterface(IRunLoop::iid.bytes, &found) == kResultOk) runLoop_ = static_cast<IRunLoop*>(found);
  return kResultOk;
}

tresult Vst3View::canResize() { return kResultTrue; }

// The largest of the panel's sizes that fits, and 100 % when none does.
tresult Vst3View::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  const int zoom =
      LargestZoomWithin(rect->right - rect->left, rect->bottom - rect->top, panel::kPanelWidth, panel::kPanelHeight);
  rect->right = rect->left + Zoomed(panel::kPanelWidth, zoom);
  rect->bottom = rect->top + Zoomed(panel::kPanelHeight, zoom);
  return kResultTrue;
}

void Vst3View::onFDIsSet(int /*descriptor*/) { Idle(); }
void Vst3View::onTimer() { Idle(); }

void Vst3View::Idle() {
  if (!editor_) return;
  editor_->Window().HandleHostIdle();
  editor_->Idle();
}
