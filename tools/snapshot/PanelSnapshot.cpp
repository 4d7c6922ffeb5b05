#include "tools/snapshot/PanelSnapshot.h"

#include <cstdio>

#include "editor/TextControl.h"
#include "host/EffectVST.h"

namespace snapshot {

namespace {

// What the panel has so far: its background image and the instrument's
// name and version. The panel layout takes over here once it exists.
void BuildPanel(IGraphicsHeadless& editor, IEffectVST& plugin) {
  editor.AttachBackground();
  char title[kIdentityLength + 32];
  const std::uint32_t version = plugin.VersionWord();
  std::snprintf(title, sizeof title, "%s %u.%u.%u", plugin.EffectName(), version >> 16, version >> 8 & 0xFF,
                version & 0xFF);
  ITextStyle style("Verdana", 24, IArgbColour{255, 230, 230, 230}, kTextBold, kAlignCentre);
  editor.AttachControl(new ITextControl(&plugin, {0, 170, kPanelWidth, 200}, style, title));
  ITextStyle small("Verdana", 12, IArgbColour{255, 160, 160, 160}, kTextNormal, kAlignCentre);
  editor.AttachControl(new ITextControl(&plugin, {0, 205, kPanelWidth, 220}, small, plugin.MakerName()));
}

}  // namespace

IGraphicsHeadless* DrawPanel(IEffectVST& plugin) {
  auto* editor = new IGraphicsHeadless(&plugin, kPanelWidth, kPanelHeight);
  BuildPanel(*editor, plugin);
  plugin.AttachEditor(editor);
  editor->RedrawArea({0, 0, kPanelWidth, kPanelHeight});
  return editor;
}

}  // namespace snapshot
