// The LV2 UI: the panel as an X11 child of the host's window, on the
// plug-in instance the host hands over (instance access). The host's idle
// calls run it; each also writes the instrument's own changes (editor
// gestures, a new program, learned controllers) to the host's control
// ports, with touch calls around gestures where the host offers them.
#include <cmath>
#include <cstring>
#include <memory>

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "instrument/panel/PanelEditor.h"
#include "instrument/panel/PanelLayout.h"
#include "lv2/Lv2Plugin.h"
#include "ui/Editor.h"

namespace {

const void* FindFeature(const LV2_Feature* const* features, const char* uri) {
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

// The host's ui:scaleFactor option; 0 when it gives none.
double HostScale(const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
  const auto* options = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
  if (!map || !map->map || !options) return 0;
  const LV2_URID scaleKey = map->map(map->handle, LV2_UI__scaleFactor);
  const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
  const LV2_URID doubleType = map->map(map->handle, LV2_ATOM__Double);
  for (const LV2_Options_Option* option = options; option->key != 0 || option->value; ++option) {
    if (option->key != scaleKey || !option->value) continue;
    if (option->type == floatType && option->size == sizeof(float)) return *static_cast<const float*>(option->value);
    if (option->type == doubleType && option->size == sizeof(double)) return *static_cast<const double*>(option->value);
  }
  return 0;
}

struct Ui {
  Lv2Plugin* plugin = nullptr;
  LV2UI_Write_Function write = nullptr;
  LV2UI_Controller controller = nullptr;
  const LV2UI_Touch* touch = nullptr;
  const LV2UI_Resize* resize = nullptr;
  std::unique_ptr<panel::PanelEditor> editor;
  // What the host's ports were last told, and the gestures seen so far.
  float written[Kestrion::kParameterCount] = {};
  unsigned begun[Kestrion::kParameterCount] = {};
  unsigned ended[Kestrion::kParameterCount] = {};
  bool touching[Kestrion::kParameterCount] = {};
};

LV2UI_Handle Instantiate(const LV2UI_Descriptor* /*descriptor*/, const char* pluginUri, const char* /*bundlePath*/,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
  auto* plugin = static_cast<Lv2Plugin*>(const_cast<void*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI)));
  void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
  if (!plugin || !parent || !write || !widget || !pluginUri || std::strcmp(pluginUri, KESTRION_LV2_URI) != 0)
    return nullptr;
  auto ui = std::make_unique<Ui>();
  ui->plugin = plugin;
  ui->write = write;
  ui->controller = controller;
  ui->touch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch));
  ui->resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
  if (ui->resize && !ui->resize->ui_resize) ui->resize = nullptr;
  try {
    ui->editor = std::make_unique<panel::PanelEditor>(plugin->Instrument(), plugin->MakeEditor());
    if (const double scale = HostScale(features); scale > 0) ui->editor->SetHostScale(scale);
    // A host without the resize feature keeps the panel at the size it opened with.
    Ui* self = ui.get();
    ui->editor->SetResizeRequest([self](int width, int height) {
      return self->resize && self->resize->ui_resize(self->resize->handle, width, height) == 0;
    });
    if (!ui->editor->Window().OpenWindow(parent)) return nullptr;
  } catch (...) {
    return nullptr;
  }
  for (int i = 0; i < Kestrion::kParameterCount; ++i) {
    ui->written[i] = plugin->HostPortValue(i);
    ui->begun[i] = plugin->GesturesBegun(i);
    ui->ended[i] = plugin->GesturesEnded(i);
  }
  *widget = ui->editor->Window().GetWindowHandle();
  if (ui->resize) ui->resize->ui_resize(ui->resize->handle, ui->editor->Width(), ui->editor->Height());
  return ui.release();
}

void Cleanup(LV2UI_Handle handle) {
  auto* ui = static_cast<Ui*>(handle);
  if (!ui) return;
  if (ui->editor) ui->editor->Window().CloseWindow();
  delete ui;
}

// The host's port values reach the instrument through run; the panel shows
// the instrument's.
void PortEvent(LV2UI_Handle /*handle*/, std::uint32_t /*port*/, std::uint32_t /*size*/, std::uint32_t /*format*/,
               const void* /*buffer*/) {}

// The instrument's values the host's ports do not hold yet go to them, once
// each: a value the host itself set (automation) is not sent back.
void SyncPorts(Ui& ui) {
  Lv2Plugin& plugin = *ui.plugin;
  for (int i = 0; i < Kestrion::kParameterCount; ++i) {
    const std::uint32_t port = Lv2Plugin::kFirstParameter + static_cast<std::uint32_t>(i);
    const unsigned begun = plugin.GesturesBegun(i);
    if (begun != ui.begun[i]) {
      ui.begun[i] = begun;
      if (ui.touch && !ui.touching[i]) ui.touch->touch(ui.touch->handle, port, true);
      ui.touching[i] = true;
    }
    const float value = plugin.PortValueOf(i);
    // A continuous value read back through the parameter's curve may move by
    // a rounding step: that is no change.
    const bool ours = std::fabs(value - plugin.HostPortValue(i)) > 1e-6f;
    if (value != ui.written[i] && ours) ui.write(ui.controller, port, sizeof value, 0, &value);
    ui.written[i] = value;
    const unsigned ended = plugin.GesturesEnded(i);
    if (ended != ui.ended[i]) {
      ui.ended[i] = ended;
      if (ui.touching[i] && ended == begun) {
        if (ui.touch) ui.touch->touch(ui.touch->handle, port, false);
        ui.touching[i] = false;
      }
    }
  }
}

int Idle(LV2UI_Handle handle) {
  auto* ui = static_cast<Ui*>(handle);
  if (!ui || !ui->editor) return 1;
  ui->editor->Window().HandleHostIdle();
  ui->editor->Idle();
  SyncPorts(*ui);
  return 0;
}

const void* ExtensionData(const char* uri) {
  static const LV2UI_Idle_Interface idle = {&Idle};
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
  return nullptr;
}

const LV2UI_Descriptor kDescriptor = {KESTRION_LV2_URI "#ui", &Instantiate, &Cleanup, &PortEvent, &ExtensionData};

}  // namespace

const LV2UI_Descriptor* Lv2UiDescriptor() { return &kDescriptor; }
