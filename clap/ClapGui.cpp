// The gui extension: the panel as a child of the host's window, in the
// system's window API (X11 or Win32, chosen by the build), at one of its
// sizes: the host may resize it to any of them, keeping its proportions.
// On X11 the host's loop runs it: a timer for the redraw tick and, where the
// host watches descriptors, the display connection for input between ticks.
// A host without timers gets a thread of ours that only asks it for a
// main-thread callback each tick: the editor itself still runs on the main
// thread.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "clap/ClapPlugin.h"
#include "instrument/panel/PanelLayout.h"
#include "ui/Editor.h"
#include "ui/PanelZoom.h"

using namespace clap;

namespace {

bool IsOurApi(const char* api) { return api && std::strcmp(api, KESTRION_CLAP_WINDOW_API) == 0; }

// The host's window as the editor takes it: an X window id or an HWND.
void* NativeWindow(const clap_window& window) {
  if (std::strcmp(window.api, CLAP_WINDOW_API_X11) == 0)
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window.x11));
  return window.win32;
}

}  // namespace

// Only embedded: the panel is a child of the host's window.
bool ClapPlugin::GuiIsApiSupported(const clap_plugin* /*plugin*/, const char* api, bool isFloating) {
  return IsOurApi(api) && !isFloating;
}

bool ClapPlugin::GuiPreferredApi(const clap_plugin* /*plugin*/, const char** api, bool* isFloating) {
  if (!api || !isFloating) return false;
  *api = std::strcmp(KESTRION_CLAP_WINDOW_API, CLAP_WINDOW_API_X11) == 0 ? CLAP_WINDOW_API_X11 : CLAP_WINDOW_API_WIN32;
  *isFloating = false;
  return true;
}

bool ClapPlugin::GuiCreate(const clap_plugin* plugin, const char* api, bool isFloating) {
  ClapPlugin* self = From(plugin);
  if (!self || !IsOurApi(api) || isFloating) return false;
  if (self->editor_) return true;
  try {
    self->editor_ = std::make_unique<panel::PanelEditor>(*self->instrument_, self->makeEditor_);
  } catch (...) {
    return false;
  }
  // A size the user picks on the panel is the host's to grant.
  self->editor_->SetResizeRequest([self](int width, int height) {
    return self->hostGui_ && self->hostGui_->request_resize(self->host_, static_cast<std::uint32_t>(width),
                                                            static_cast<std::uint32_t>(height));
  });
  return true;
}

void ClapPlugin::GuiDestroy(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  if (!self) return;
  self->CloseEditorWindow();
  self->editor_.reset();
}

// The host's scale decides the panel's size unless the user chose one.
bool ClapPlugin::GuiSetScale(const clap_plugin* plugin, double scale) {
  ClapPlugin* self = From(plugin);
  if (!self || !self->editor_ || !(scale > 0)) return false;
  self->editor_->SetHostScale(scale);
  return true;
}

bool ClapPlugin::GuiGetSize(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
  ClapPlugin* self = From(plugin);
  if (!self || !width || !height) return false;
  const int zoom = self->editor_ ? self->editor_->Zoom() : NearestZoom(self->instrument_->ChosenPanelZoom() / 100.0);
  *width = static_cast<std::uint32_t>(Zoomed(panel::kPanelWidth, zoom));
  *height = static_cast<std::uint32_t>(Zoomed(panel::kPanelHeight, zoom));
  return true;
}

bool ClapPlugin::GuiCanResize(const clap_plugin* /*plugin*/) { return true; }
bool ClapPlugin::GuiResizeHints(const clap_plugin* /*plugin*/, clap_gui_resize_hints* hints) {
  if (!hints) return false;
  *hints = {true, true, true, static_cast<std::uint32_t>(panel::kPanelWidth),
            static_cast<std::uint32_t>(panel::kPanelHeight)};
  return true;
}

// The largest of the panel's sizes that fits, and 100 % when none does.
bool ClapPlugin::GuiAdjustSize(const clap_plugin* plugin, std::uint32_t* width, std::uint32_t* height) {
  if (!From(plugin) || !width || !height) return false;
  const int zoom = LargestZoomWithin(static_cast<int>(std::min<std::uint32_t>(*width, 1u << 20)),
                                     static_cast<int>(std::min<std::uint32_t>(*height, 1u << 20)), panel::kPanelWidth,
                                     panel::kPanelHeight);
  *width = static_cast<std::uint32_t>(Zoomed(panel::kPanelWidth, zoom));
  *height = static_cast<std::uint32_t>(Zoomed(panel::kPanelHeight, zoom));
  return true;
}

// Only the panel's own sizes, as adjust_size gives them.
bool ClapPlugin::GuiSetSize(const clap_plugin* plugin, std::uint32_t width, std::uint32_t height) {
  ClapPlugin* self = From(plugin);
  if (!self || !self->editor_) return false;
  for (int zoom : kZoomSteps) {
    if (width != static_cast<std::uint32_t>(Zoomed(panel::kPanelWidth, zoom)) ||
        height != static_cast<std::uint32_t>(Zoomed(panel::kPanelHeight, zoom)))
      continue;
    self->editor_->ShowAtZoom(zoom, true);
    return true;
  }
  return false;
}

bool ClapPlugin::GuiSetParent(const clap_plugin* plugin, const clap_window* window) {
  ClapPlugin* self = From(plugin);
  if (!self || !self->editor_ || !window || !IsOurApi(window->api)) return false;
  self->CloseEditorWindow();
  bool opened = false;
  try {
    opened = self->editor_->Window().OpenWindow(NativeWindow(*window)) != nullptr;
  } catch (...) {
  }
  if (!opened) return false;
  const int period = self->editor_->Window().TimerPeriodMs();
  if (self->hostTimer_) {
    clap_id timer = CLAP_INVALID_ID;
    if (self->hostTimer_->register_timer(self->host_, static_cast<std::uint32_t>(period), &timer)) self->timer_ = timer;
  }
  if (self->timer_ == CLAP_INVALID_ID) self->StartIdleRequests(period);
  const int descriptor = self->editor_->Window().EventDescriptor();
  if (self->hostDescriptors_ && descriptor >= 0 &&
      self->hostDescriptors_->register_fd(self->host_, descriptor, CLAP_POSIX_FD_READ))
    self->watchedDescriptor_ = descriptor;
  return true;
}

bool ClapPlugin::GuiSetTransient(const clap_plugin* /*plugin*/, const clap_window* /*window*/) { return false; }
void ClapPlugin::GuiSuggestTitle(const clap_plugin* /*plugin*/, const char* /*title*/) {}

// The window is shown while it is a child of the host's; the host shows or
// hides its own window around it.
bool ClapPlugin::GuiShow(const clap_plugin* plugin) {
  ClapPlugin* self = From(plugin);
  return self && self->editor_;
}
bool ClapPlugin::GuiHide(const clap_plugin* plugin) { return GuiShow(plugin); }

void ClapPlugin::OnTimer(const clap_plugin* plugin, clap_id timer) {
  ClapPlugin* self = From(plugin);
  if (self && timer == self->timer_) self->EditorIdle();
}

void ClapPlugin::OnDescriptor(const clap_plugin* plugin, int descriptor, std::uint32_t /*flags*/) {
  ClapPlugin* self = From(plugin);
  if (self && descriptor == self->watchedDescriptor_) self->EditorIdle();
}

void ClapPlugin::EditorIdle() {
  if (!editor_) return;
  editor_->Window().HandleHostIdle();
  editor_->Idle();
}

void ClapPlugin::StartIdleRequests(int periodMs) {
  if (!host_ || !host_->request_callback) return;
  stopIdleRequests_ = false;
  idleRequests_ = std::thread([this, periodMs] {
    std::unique_lock<std::mutex> lock(idleRequestsLock_);
    while (
        !idleRequestsStop_.wait_for(lock, std::chrono::milliseconds(periodMs), [this] { return stopIdleRequests_; })) {
      // The host is called with no lock held.
      lock.unlock();
      idlePending_.store(true, std::memory_order_release);
      host_->request_callback(host_);
      lock.lock();
    }
  });
}

void ClapPlugin::StopIdleRequests() {
  if (!idleRequests_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(idleRequestsLock_);
    stopIdleRequests_ = true;
  }
  idleRequestsStop_.notify_all();
  idleRequests_.join();
  idlePending_.store(false, std::memory_order_release);
}

void ClapPlugin::CloseEditorWindow() {
  StopIdleRequests();
  if (timer_ != CLAP_INVALID_ID) hostTimer_->unregister_timer(host_, timer_);
  timer_ = CLAP_INVALID_ID;
  if (watchedDescriptor_ >= 0) hostDescriptors_->unregister_fd(host_, watchedDescriptor_);
  watchedDescriptor_ = -1;
  if (editor_) editor_->Window().CloseWindow();
}
