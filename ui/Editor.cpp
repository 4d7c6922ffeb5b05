#include "ui/Editor.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "graphics/RasterBlit.h"
#include "graphics/RasterFont.h"
#include "graphics/RasterPng.h"
#include "graphics/RasterResample.h"
#include "platform/Module.h"
#include "plugin/EditorDelegate.h"
#include "plugin/EditorMailbox.h"
#include "plugin/EffectParameter.h"
#include "ui/BitmapControls.h"
#include "ui/FontCache.h"
#include "ui/FrameStrip.h"
#include "ui/ImageCache.h"

using graphics::RasterBitmap;
using graphics::Rect;

namespace {

// More quiet ticks than this in a row call the quiet-tick handler.
constexpr int kQuietTicksBeforeIdle = 20;

int BlitMode(const BlendSpec* blend) {
  if (!blend) return graphics::kBlitUseSourceAlpha;
  switch (blend->method) {
    case kBlendOpaque: return graphics::kBlitCopy;
    case kBlendAdditive: return graphics::kBlitUseSourceAlpha | graphics::kBlitAdditive;
    case kBlendColourDodge: return graphics::kBlitUseSourceAlpha | graphics::kBlitColourDodge;
    default: return graphics::kBlitUseSourceAlpha;
  }
}

bool EndsWithPng(const char* name) {
  const char* dot = name ? std::strrchr(name, '.') : nullptr;
  if (!dot) return false;
  const char* extension = dot + 1;
  if (std::strlen(extension) != 3) return false;
  return std::tolower(static_cast<unsigned char>(extension[0])) == 'p' &&
         std::tolower(static_cast<unsigned char>(extension[1])) == 'n' &&
         std::tolower(static_cast<unsigned char>(extension[2])) == 'g';
}

}  // namespace

Editor::Editor(EditorDelegate* delegate, int width, int height, int frameRate)
    : delegate_(delegate),
      baseWidth_(std::max(width, 0)),
      baseHeight_(std::max(height, 0)),
      width_(baseWidth_),
      height_(baseHeight_),
      frameRate_(std::max(frameRate, 1)) {}

Editor::~Editor() {
  while (!controls_.empty()) controls_.pop_back();  // last to first
}

Control* Editor::ControlAt(int index) const {
  return index >= 0 && index < ControlCount() ? controls_[static_cast<std::size_t>(index)].get() : nullptr;
}

// -- building ---------------------------------------------------------------

int Editor::AttachControl(Control* control) {
  if (!control) return -1;
  control->SetGraphics(this);
  controls_.emplace_back(control);
  return ControlCount() - 1;
}

void Editor::AttachBackground() {
  const FrameStrip strip = LoadStrip(kBackgroundImageId, kBackgroundImageName, 1);
  auto* background = new BitmapControl(delegate_, 0, 0, -1, strip, kBlendOpaque);
  background->SetGraphics(this);
  controls_.emplace(controls_.begin(), background);
}

std::unique_ptr<RasterBitmap> Editor::LoadImageResource(int id, const char* name) {
  if (!EndsWithPng(name)) return nullptr;
  return graphics::LoadPngResource(platform::ThisModule(), id);
}

RasterBitmap* Editor::LoadImage(int id, const char* name) {
  return imagecache::FindOrLoad(id, [&] { return LoadImageResource(id, name); });
}

FrameStrip Editor::LoadStrip(int id, const char* name, int frames, bool sideBySide) {
  FrameStrip strip;
  strip.frames = std::max(frames, 1);
  strip.sideBySide = sideBySide;
  RasterBitmap* base = LoadImage(id, name);
  strip.image = zoom_ == kDefaultZoom || !base ? base : LoadZoomedImage(*base, id, name, strip);
  strip.width = strip.image ? strip.image->Width() : 0;
  strip.height = strip.image ? strip.image->Height() : 0;
  return strip;
}

RasterBitmap* Editor::LoadZoomedImage(const RasterBitmap& base, int id, const char* name, const FrameStrip& strip) {
  return imagecache::FindOrLoad(imagecache::ZoomedKey(id, zoom_), [&]() -> std::unique_ptr<RasterBitmap> {
    const int n = strip.frames;
    const int frameWidth = strip.sideBySide ? base.Width() / n : base.Width();
    const int frameHeight = strip.sideBySide ? base.Height() : base.Height() / n;
    const int width = Zoomed(frameWidth, zoom_), height = Zoomed(frameHeight, zoom_);
    // The 200 % art is drawn for that size; other sizes are made from it,
    // or from the 100 % art where a module carries no larger one.
    std::unique_ptr<RasterBitmap> large = LoadImageResource(id + kDoubleArtOffset, DoubleArtName(name).c_str());
    const bool usable = large && large->Width() == 2 * base.Width() && large->Height() == 2 * base.Height();
    if (usable && zoom_ == 2 * kDefaultZoom) return large;
    const RasterBitmap& source = usable ? *large : base;
    if (!strip.sideBySide) return graphics::ResampleFrames(source, n, width, height);
    auto image = std::make_unique<graphics::RasterMemBitmap>(width * n, height);
    graphics::ResampleArea(source, {0, 0, source.Width(), source.Height()}, *image, {0, 0, width * n, height});
    return image;
  });
}

void Editor::SetPanelSize(int width, int height) {
  baseWidth_ = std::max(width, 0);
  baseHeight_ = std::max(height, 0);
  width_ = Zoomed(baseWidth_, zoom_);
  height_ = Zoomed(baseHeight_, zoom_);
  if (editorBitmap_) editorBitmap_->Resize(width_, height_);
  MarkAllChanged();
}

void Editor::SetZoom(int percent) {
  if (!IsZoomStep(percent)) return;
  zoom_ = percent;
  SetPanelSize(baseWidth_, baseHeight_);
  ResizeWindow();
}

void Editor::RemoveControls() {
  EndEdit();
  ReleaseCapture();
  keyTarget_ = nullptr;
  pointerOverIndex_ = -1;
  while (!controls_.empty()) controls_.pop_back();  // last to first
}

// -- the plug-in's side ------------------------------------------------------

void Editor::StartShowing() {
  ApplyCurrentValues();
  editorBitmap_ = std::make_unique<graphics::RasterSysBitmap>(width_, height_);
  scratchBitmap_ = std::make_unique<graphics::RasterMemBitmap>();
}

void Editor::ApplyCurrentValues() {
  if (delegate_) {
    for (int i = 0; i < delegate_->ParameterCount(); ++i) {
      const EffectParameter* parameter = delegate_->ParameterInfo(i);
      if (!parameter) continue;
      // A control's first value becomes what a double click restores.
      ApplyToControls(i, parameter->ToNormalized(parameter->defaultValue));
      ApplyToControls(i, parameter->ToNormalized());
    }
    delegate_->Mailbox().ForEachKnownCommand([this](int code, double value) { ApplyToControls(code, value); });
  }
}

void Editor::ApplyToControls(int index, double normalised) {
  for (const auto& control : controls_) {
    if (control->ParameterIndex() == index) control->ApplyHostValue(normalised);
    const auto& bindings = control->AuxBindings();
    for (std::size_t k = 0; k < bindings.size(); ++k) {
      if (bindings[k].parameterIndex == index) {
        control->ApplyHostAuxValue(static_cast<int>(k), normalised);
        break;
      }
    }
  }
}

void Editor::ApplyRecordedValues() {
  if (requestedZoom_ != 0) {
    const int percent = requestedZoom_;
    requestedZoom_ = 0;
    if (zoomHandler_) zoomHandler_(percent, requestChosen_);
  }
  if (delegate_)
    delegate_->Mailbox().TakeChanged([this](int index, double normalised) { ApplyToControls(index, normalised); });
}

// -- redraw cycle ------------------------------------------------------------

void Editor::TimerTick() {
  ApplyRecordedValues();
  Rect dirty;
  if (CollectDirtyArea(&dirty)) RedrawArea(dirty);
}

bool Editor::CollectDirtyArea(Rect* area) {
  Rect dirty;
  bool any = false;
  for (const auto& control : controls_) {
    if (!control->NeedsDrawing()) continue;
    dirty = Union(dirty, control->Area());
    any = true;
  }
  if (area) *area = dirty;
  if (any) {
    idleTicks_ = 0;
    return true;
  }
  if (++idleTicks_ > kQuietTicksBeforeIdle) {
    idleTicks_ = 0;
    if (quietTick_) quietTick_();
  }
  return false;
}

bool Editor::RedrawArea(const Rect& area) {
  if (controls_.empty()) return true;
  drawArea_ = area;
  for (const auto& control : controls_) {
    if (!control->IsHidden() && !Intersection(control->Area(), area).IsEmpty()) control->Render(*this);
    control->MarkDrawn();
  }
  PresentArea(area);
  return true;
}

void Editor::MarkAllChanged() {
  for (const auto& control : controls_) control->MarkChanged(false);
}

// -- drawing -----------------------------------------------------------------

bool Editor::DrawFrame(const FrameStrip& strip, const Rect& area, int frame, const BlendSpec* blend) {
  int srcX = 0, srcY = 0;
  FrameOffset(strip, frame, &srcX, &srcY);
  return DrawImage(strip.image, area, srcX, srcY, blend);
}

bool Editor::DrawImage(RasterBitmap* image, const Rect& dest, int srcX, int srcY, const BlendSpec* blend) {
  const Rect clipped = Intersection(dest, drawArea_);
  if (clipped.IsEmpty() || !image) return true;
  const int left = srcX + clipped.left - dest.left;
  const int top = srcY + clipped.top - dest.top;
  const Rect source{left, top, left + clipped.Width(), top + clipped.Height()};
  graphics::CopyArea(editorBitmap_.get(), image, clipped.left, clipped.top, &source, blend ? blend->weight : 1.0f,
                     BlitMode(blend));
  return true;
}

bool Editor::DrawText(TextStyle& style, const char* text, const Rect& rect) {
  if (!text || !text[0]) return true;
  graphics::TextLock hold;  // the font may be another editor's too
  if (!style.cachedFont) style.cachedFont = fontcache::FindOrCreate(style);
  graphics::RasterCachedFont* font = style.cachedFont;
  if (!font) return false;
  const std::uint32_t colour = style.colour.Packed();
  font->SetTextColour(colour);
  int format = graphics::kTextNoClip;
  if (style.alignment == kAlignCentre)
    format |= graphics::kTextCentre;
  else if (style.alignment == kAlignRight)
    format |= graphics::kTextRight;
  if (style.colour.alpha != 255) format |= graphics::kTextApplyColourAlpha;
  // Outside the draw area the panel is not redrawn underneath, so text
  // there would be laid over its own earlier copy.
  const Rect clip{drawArea_.left, drawArea_.top, drawArea_.right, drawArea_.bottom};
  font->SetClipArea(&clip);
  Rect box{rect.left, rect.top, rect.right, rect.bottom};
  font->DrawText(editorBitmap_.get(), text, -1, &box, format);
  font->SetClipArea(nullptr);
  return true;
}

bool Editor::MeasureText(TextStyle& style, const char* text, Rect* rect) {
  if (!rect) return false;
  if (!style.cachedFont) style.cachedFont = fontcache::FindOrCreate(style);
  if (!style.cachedFont) return false;
  graphics::TextLock hold;
  Rect box{rect->left, rect->top, rect->left, rect->top};
  style.cachedFont->DrawText(nullptr, text ? text : "", -1, &box, graphics::kTextMeasureOnly);
  *rect = {box.left, box.top, box.right, box.bottom};
  return true;
}

// -- pointer -----------------------------------------------------------------

int Editor::HitSearch(int x, int y) const {
  for (int i = ControlCount() - 1; i >= 0; --i) {
    const Control* control = controls_[static_cast<std::size_t>(i)].get();
    if (!control->IsHidden() && !control->IsDisabled() && control->ContainsPoint(x, y)) return i;
  }
  return -1;
}

void Editor::ReleaseCapture() {
  captureIndex_ = -1;
  lastX_ = -1;
  lastY_ = -1;
}

void Editor::BeginEdit(Control* control) {
  EndEdit();
  if (control->ParameterIndex() < 0 || !delegate_) return;
  editIndex_ = control->ParameterIndex();
  delegate_->BeginEdit(editIndex_);
}

void Editor::EndEdit() {
  if (editIndex_ < 0) return;
  const int index = editIndex_;
  editIndex_ = -1;
  delegate_->EndEdit(index);
}

void Editor::PressCaptured(int hit, int x, int y, const PointerMods& mods) {
  captureIndex_ = hit;
  lastX_ = x;
  lastY_ = y;
  Control* control = ControlAt(hit);
  BeginEdit(control);
  control->HandlePress(x, y, mods);
  // A menu or dialog took the pointer: what the user chose there is all the
  // press changed, and its release may land anywhere.
  if (captureIndex_ != hit) EndEdit();
}

void Editor::PointerPressed(int x, int y, const PointerMods& mods) {
  captureIndex_ = -1;
  const int hit = HitSearch(x, y);
  if (hit >= 0) PressCaptured(hit, x, y, mods);
}

void Editor::PointerDragged(int x, int y, const PointerMods& mods) {
  Control* control = ControlAt(captureIndex_);
  if (!control || (x == lastX_ && y == lastY_)) return;
  const int dx = x - lastX_, dy = y - lastY_;
  lastX_ = x;
  lastY_ = y;
  control->HandleDrag(x, y, dx, dy, mods);
}

void Editor::PointerReleased(int x, int y, const PointerMods& mods) {
  Control* control = captureIndex_ >= 0 ? ControlAt(captureIndex_) : ControlAt(HitSearch(x, y));
  ReleaseCapture();
  if (control) control->HandleRelease(x, y, mods);
  EndEdit();
}

bool Editor::PointerDoubleClicked(int x, int y, const PointerMods& mods) {
  ReleaseCapture();
  const int hit = HitSearch(x, y);
  if (hit < 0) return false;
  Control* control = ControlAt(hit);
  if (control->DoubleClickActsAsPress()) {
    PressCaptured(hit, x, y, mods);
    return true;
  }
  // The reset is a change of its own; the release that follows ends nothing.
  BeginEdit(control);
  control->HandleDoubleClick(x, y, mods);
  EndEdit();
  return false;
}

void Editor::PointerWheel(int x, int y, const PointerMods& mods, int notches) {
  Control* control = captureIndex_ >= 0 ? ControlAt(captureIndex_) : ControlAt(HitSearch(x, y));
  if (control) control->HandleWheel(x, y, mods, notches);
}

bool Editor::KeyPressed(int x, int y, int key) {
  const int index = captureIndex_ >= 0 ? captureIndex_ : HitSearch(x, y);
  Control* control = ControlAt(index);
  if (!control || index == 0) return keyTarget_ ? keyTarget_->HandleKey(x, y, key) : false;
  return control->HandleKey(x, y, key);
}
