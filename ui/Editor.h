// The editor: an ordered list of controls drawing into one off-screen
// bitmap, the redraw cycle that turns changed values into drawing, and the
// pointer dispatch that turns presses, drags and wheel turns into parameter
// changes. Knows no operating system: a window class derives from it and
// supplies the screen copy, the timer, menus, text entry and dialogs.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/RasterBitmap.h"
#include "graphics/RasterSysBitmap.h"
#include "plugin/EditorView.h"
#include "plugin/Text.h"
#include "ui/Control.h"
#include "ui/MenuList.h"
#include "ui/PanelTypes.h"
#include "ui/PanelZoom.h"

class EditorDelegate;
class EffectParameter;

// Key codes of KeyPressed.
enum EditorKey {
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5,
  kKeyLetterA = 15
};

// What a window's in-place text entry is doing. Every system's window
// follows the same rules: a press on the panel or Escape cancels, Return or
// focus loss commits, and the timer tick carries out either.
enum TextEntryState {
  kEntryIdle = 0,
  kEntryFocused = 1,  // the entry has the keyboard focus
  kEntryShown = 2,    // shown, and the panel redrawn around it
  kEntryCancel = 3,   // to be discarded at the next tick
  kEntryCommit = 4,   // to be applied at the next tick
};

// The resource id and file name of the panel background.
constexpr int kBackgroundImageId = 101;
constexpr const char* kBackgroundImageName = "resources/img/back.png";

class Editor : public EditorView {
 public:
  Editor(EditorDelegate* delegate, int width, int height, int frameRate = 25);
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;
  // Host UI/dispatcher (the plug-in is closing).
  ~Editor() override;

  // -- what a window supplies; all called on the editor's thread ---------
  virtual void PresentArea(const Rect& area) = 0;
  virtual void CancelTextEntry() = 0;
  virtual bool IsWindowOpen() const { return false; }
  virtual const char* DrawingApiName() const { return ""; }
  int ShowMessage(const char* /*text*/, const char* /*caption*/, int /*type*/) override { return kAnswerCancel; }
  // Shows `menu` just below the rectangle's left edge; returns the list
  // (the menu or one of its submenus) whose chosen index was set, or null.
  virtual MenuList* RunPopupMenu(MenuList* /*menu*/, const Rect& /*rect*/) { return nullptr; }
  // One in-place text entry; committing it ends in CommitTextEntry.
  virtual void OpenTextEntry(Control* /*control*/, const TextStyle& /*style*/, const Rect& /*rect*/,
                             const char* /*text*/, const EffectParameter* /*parameter*/) {}
  // Folder paths, each into kPathLength bytes; "" when unknown.
  virtual void GetHostFolder(char* out) { out[0] = 0; }
  virtual void GetPluginFolder(char* out) { out[0] = 0; }
  virtual void GetDesktopFolder(char* out) { out[0] = 0; }
  virtual void GetAppDataFolder(char* out, bool /*allUsers*/) { out[0] = 0; }
  void PromptForFile(char* path, int /*mode*/, char* /*folder*/, const char* /*extensions*/) override { path[0] = 0; }
  bool OpenWebPage(const char* url, const char* caption, const char* confirmText, const char* failureText) override;
  virtual void* GetWindowHandle() const = 0;
  // Into kPathLength bytes; "" and false when there is no text.
  virtual bool GetClipboardText(char* out) {
    out[0] = 0;
    return false;
  }
  // Editor thread: the window takes the editor's Width() x Height().
  virtual void ResizeWindow() {}
  // Editor thread: resizes the host's window holding the panel, for a host
  // that cannot be asked to; false when there is none.
  virtual bool ResizeHostWindow(int /*width*/, int /*height*/) { return false; }
  // Editor thread: the size of the host's window holding the panel; false
  // when it cannot be known.
  virtual bool HostWindowSize(int* /*width*/, int* /*height*/) const { return false; }
  // Host UI thread: the zoom step nearest the scale the system's desktop
  // asks applications to draw at, for a panel whose user chose none.
  virtual int SystemZoom() const { return kDefaultZoom; }
  // Host UI thread, before OpenWindow: the window drives itself (events and
  // ticks) from a thread of its own whenever the host's idle calls come
  // slower than the frame rate, for a format whose hosts may never idle;
  // `idleWork` is the host-idle work, run at each turn with the editor to
  // itself. False when the window cannot.
  virtual bool EnableOwnDriver(std::function<void()> /*idleWork*/) { return false; }
  // Host UI thread: a key the host passes on (an EditorKey), for the control
  // under the pointer; false when no control takes it or the editor is busy.
  virtual bool HostKeyPressed(int /*key*/) { return false; }
  // Host UI thread, after OpenWindow: the size of the host's window when
  // the panel was opened in it; false when unknown.
  virtual bool ParentSizeAtOpen(int* /*width*/, int* /*height*/) const { return false; }
  // Decodes the image resource `id` when `name` ends in ".png"; else null.
  // Also called while the panel is built, on the host UI/dispatcher thread.
  virtual std::unique_ptr<graphics::RasterBitmap> LoadImageResource(int id, const char* name);

  // -- the plug-in's side (EditorView; threads as noted there) ----------
  // Any thread: a host asks for the size while the editor's thread may change it.
  int Width() const override { return width_.load(std::memory_order_relaxed); }
  int Height() const override { return height_.load(std::memory_order_relaxed); }
  // Once the controls are attached: every parameter's control starts at the
  // parameter's current value, with its default as the control's default,
  // the command controls at their last posted states; then the drawing
  // surfaces are made.
  void StartShowing();
  void* OpenWindow(void* parent) override = 0;
  void CloseWindow() override = 0;

  // -- building the panel (host UI/dispatcher, before StartShowing) -------
  // Image 101 as the opaque background at index 0.
  void AttachBackground();
  // The editor takes the control; returns its index.
  int AttachControl(Control* control);
  // The cached image `id` at 100 %, loaded once per process; null when it
  // cannot be.
  graphics::RasterBitmap* LoadImage(int id, const char* name);
  // A strip of `frames` frames of image `id` at the editor's zoom (an empty
  // strip when missing): the image as drawn at 100 % or 200 %, resampled
  // from the 200 % art for the sizes between, once per process.
  FrameStrip LoadStrip(int id, const char* name, int frames, bool sideBySide = false);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  Control* ControlAt(int index) const;
  EditorDelegate* Delegate() const { return delegate_; }
  int FrameRate() const { return frameRate_; }
  int TimerPeriodMs() const { return 1000 / frameRate_; }
  int IdleTicks() const { return idleTicks_; }
  // Editor thread: what runs after more than twenty ticks in a row with
  // nothing to draw (the panel shows its lights from there).
  void SetQuietTickHandler(std::function<void()> handler) { quietTick_ = std::move(handler); }
  graphics::RasterSysBitmap* EditorBitmap() const { return editorBitmap_.get(); }
  graphics::RasterMemBitmap* ScratchBitmap() const { return scratchBitmap_.get(); }
  const Rect& DrawArea() const { return drawArea_; }

  // -- the redraw cycle, on the editor's thread ----------------------------
  // What every window's timer calls: applies the values other threads
  // posted for the editor, then draws the controls that changed.
  void TimerTick();
  // The first half of a tick, for windows that run the rest themselves:
  // moves the controls to the values other threads posted.
  void ApplyRecordedValues();
  // The union of the areas of controls that need drawing; false (and a
  // step towards the quiet-tick handler) when there are none.
  bool CollectDirtyArea(Rect* area);
  // Renders the visible controls meeting `area`, marks every control
  // drawn, then presents the area.
  bool RedrawArea(const Rect& area);
  // Every control redraws at the next tick.
  void MarkAllChanged();
  // A new panel size at 100 %; every control redraws.
  void SetPanelSize(int width, int height);

  // -- the panel's size (editor thread, or before the window opens) --------
  int Zoom() const { return zoom_; }
  int BaseWidth() const { return baseWidth_; }
  int BaseHeight() const { return baseHeight_; }
  // The panel at `percent` (a zoom step; anything else is ignored): the
  // size, the drawing surface and the window change, every control redraws.
  // The controls themselves are the builder's to make again at the size.
  void SetZoom(int percent);
  // A size the user (`chosen`) or the system asked for, carried out by the
  // zoom handler at the start of the next tick, when no control is in the
  // middle of its work.
  void RequestZoom(int percent, bool chosen = true) {
    requestedZoom_ = percent;
    requestChosen_ = chosen;
  }
  void SetZoomHandler(std::function<void(int percent, bool chosen)> handler) { zoomHandler_ = std::move(handler); }
  // Drops every control (the background too), ending any edit and capture.
  void RemoveControls();
  // The controls' values as StartShowing sets them, for a panel built again.
  void ApplyCurrentValues();

  // -- drawing primitives, clipped to the draw area of the pass -----------
  bool DrawFrame(const FrameStrip& strip, const Rect& area, int frame, const BlendSpec* blend);
  bool DrawImage(graphics::RasterBitmap* image, const Rect& dest, int srcX, int srcY, const BlendSpec* blend);
  bool DrawText(TextStyle& style, const char* text, const Rect& rect);
  // The rectangle `text` would take, its top-left corner kept.
  bool MeasureText(TextStyle& style, const char* text, Rect* rect);

  // -- pointer and keys (called by the window) ----------------------------
  void PointerPressed(int x, int y, const PointerMods& mods);
  // A move while a button is held; the captured control follows it.
  void PointerDragged(int x, int y, const PointerMods& mods);
  void PointerReleased(int x, int y, const PointerMods& mods);
  // True when the control took the double click as a press (capture it).
  bool PointerDoubleClicked(int x, int y, const PointerMods& mods);
  void PointerWheel(int x, int y, const PointerMods& mods, int notches);
  bool KeyPressed(int x, int y, int key);
  // Forgets the captured control (menus and dialogs take the pointer away).
  void ReleaseCapture();
  int CaptureIndex() const { return captureIndex_; }
  // The topmost control under the point that is neither hidden nor disabled.
  int HitSearch(int x, int y) const;

  // -- asking for values --------------------------------------------------
  // The right-button prompt of a bound control: a menu of its value names,
  // or a text entry with its current value.
  void PromptForParameter(Control* control);
  // What a committed text entry does: a value for `parameter` (display
  // text or number, clamped and normalised) or the control's own text.
  // Only the first 31 characters count.
  void CommitTextEntry(Control* control, const EffectParameter* parameter, const char* text);

 protected:
  // Editor thread. Whether the system can open `url` (a browser, a
  // connection); the confirmation and failure messages around it are shared.
  virtual bool LaunchUrl(const char* /*url*/) { return false; }

 private:
  // Moves the controls bound to `index` (a parameter or a command code).
  void ApplyToControls(int index, double normalised);
  // The host's edit of the control's parameter, if it has one; an edit
  // still open ends first.
  void BeginEdit(Control* control);
  void EndEdit();
  // The strip's image at the editor's zoom, from the image cache.
  graphics::RasterBitmap* LoadZoomedImage(const graphics::RasterBitmap& base, int id, const char* name,
                                          const FrameStrip& strip);
  // A press on the control at `hit`, which captures the pointer.
  void PressCaptured(int hit, int x, int y, const PointerMods& mods);

  EditorDelegate* delegate_;
  std::vector<std::unique_ptr<Control>> controls_;
  Rect drawArea_;
  int baseWidth_;
  int baseHeight_;
  std::atomic<int> width_;
  std::atomic<int> height_;
  int zoom_ = kDefaultZoom;
  int requestedZoom_ = 0;
  bool requestChosen_ = true;
  std::function<void(int, bool)> zoomHandler_;
  int frameRate_;
  int idleTicks_ = 0;
  std::function<void()> quietTick_;
  int captureIndex_ = -1;
  // The parameter whose edit the host was told of and not yet told the end.
  int editIndex_ = -1;
  int pointerOverIndex_ = -1;
  int lastX_ = -1;
  int lastY_ = -1;
  bool handlePointerOver_ = false;
  bool strictRedraw_ = true;
  bool tooltips_ = false;
  Control* keyTarget_ = nullptr;
  std::unique_ptr<graphics::RasterSysBitmap> editorBitmap_;
  std::unique_ptr<graphics::RasterMemBitmap> scratchBitmap_;
};
