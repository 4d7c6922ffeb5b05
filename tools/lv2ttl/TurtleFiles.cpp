#include "tools/lv2ttl/TurtleFiles.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace lv2ttl {

namespace {

constexpr const char* kInstanceAccess = "http://lv2plug.in/ns/ext/instance-access";

std::string Iri(const std::string& text) { return "<" + text + ">"; }

std::string UiIri(const BundleNames& names) { return Iri(names.pluginUri + "#ui"); }

std::string ProgramIri(const BundleNames& names, int program) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "#program-%02d", program);
  return Iri(names.pluginUri + suffix);
}

void AddPrefixes(std::string& out, std::initializer_list<const char*> names) {
  struct Prefix {
    const char* name;
    const char* iri;
  };
  static const Prefix kPrefixes[] = {
      {"atom", "http://lv2plug.in/ns/ext/atom#"},        {"bufsz", "http://lv2plug.in/ns/ext/buf-size#"},
      {"doap", "http://usefulinc.com/ns/doap#"},         {"foaf", "http://xmlns.com/foaf/0.1/"},
      {"log", "http://lv2plug.in/ns/ext/log#"},          {"lv2", "http://lv2plug.in/ns/lv2core#"},
      {"midi", "http://lv2plug.in/ns/ext/midi#"},        {"opts", "http://lv2plug.in/ns/ext/options#"},
      {"pset", "http://lv2plug.in/ns/ext/presets#"},     {"rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#"},
      {"rdfs", "http://www.w3.org/2000/01/rdf-schema#"}, {"state", "http://lv2plug.in/ns/ext/state#"},
      {"time", "http://lv2plug.in/ns/ext/time#"},        {"ui", "http://lv2plug.in/ns/extensions/ui#"},
      {"urid", "http://lv2plug.in/ns/ext/urid#"},
  };
  for (const char* name : names)
    for (const Prefix& prefix : kPrefixes)
      if (std::strcmp(prefix.name, name) == 0) out += std::string("@prefix ") + name + ": <" + prefix.iri + "> .\n";
  out += "\n";
}

// The length of the UTF-8 sequence at `text` (up to `end`), 0 when it is
// not a valid one.
int SequenceLength(const unsigned char* text, const unsigned char* end) {
  const unsigned lead = text[0];
  const int more = lead >= 0xC2 && lead <= 0xDF   ? 1
                   : lead >= 0xE0 && lead <= 0xEF ? 2
                   : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                  : -1;
  if (more < 0 || end - text <= more) return 0;
  char32_t code = lead & (0x3F >> more);
  for (int i = 1; i <= more; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
    code = code << 6 | (text[i] & 0x3F);
  }
  // Overlong forms, surrogates and codes past Unicode are not text.
  static const char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[more] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return 0;
  return more + 1;
}

void AddPort(std::string& out, const char* types, int index, const char* symbol, const std::string& name) {
  out += std::string("\t\ta ") + types + " ;\n";
  out += "\t\tlv2:index " + std::to_string(index) + " ;\n";
  out += "\t\tlv2:symbol " + Literal(symbol) + " ;\n";
  out += "\t\tlv2:name " + Literal(name);
}

void AddControlPort(std::string& out, int index, const ControlPort& port) {
  AddPort(out, "lv2:InputPort , lv2:ControlPort", index, port.symbol.c_str(), port.name);
  out += " ;\n\t\tlv2:default " + Number(port.defaultValue) + " ;\n";
  out += "\t\tlv2:minimum " + Number(port.minimum) + " ;\n";
  out += "\t\tlv2:maximum " + Number(port.maximum);
  if (!port.stepped) return;
  out += port.scalePoints.empty() ? " ;\n\t\tlv2:portProperty lv2:integer"
                                  : " ;\n\t\tlv2:portProperty lv2:integer , lv2:enumeration";
  for (std::size_t i = 0; i < port.scalePoints.size(); ++i) {
    const ScalePoint& point = port.scalePoints[i];
    out += i == 0 ? " ;\n\t\tlv2:scalePoint " : " ,\n\t\t\t";
    out += "[ rdfs:label " + Literal(point.label) + " ; rdf:value " + std::to_string(point.value) + " ]";
  }
}

}  // namespace

bool IsPlainIri(const std::string& text) {
  for (unsigned char c : text)
    if (c <= ' ' || std::strchr("<>\"{}|^`\\", c)) return false;
  return !text.empty();
}

std::string Literal(const std::string& text) {
  std::string out = "\"";
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = bytes + text.size();
  for (const unsigned char* c = bytes; c < end;) {
    char escaped[8];
    if (*c == '"' || *c == '\\') {
      out += '\\';
      out += static_cast<char>(*c++);
    } else if (*c >= ' ' && *c < 0x7F) {
      out += static_cast<char>(*c++);
    } else if (const int length = *c >= 0x80 ? SequenceLength(c, end) : 0; length > 0) {
      out.append(reinterpret_cast<const char*>(c), length);
      c += length;
    } else {
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(*c++));
      out += escaped;
    }
  }
  return out + "\"";
}

std::string Number(double v) {
  if (v == 0) v = 0;  // no "-0"
  char text[32];
  const std::to_chars_result result = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 9);
  return std::string(text, result.ptr);
}

std::string ManifestText(const BundleNames& names, const BundleDescription& description) {
  std::string out;
  AddPrefixes(out, {"lv2", "pset", "rdfs", "ui"});
  const std::string binary = Iri(names.binaryName);
  out += Iri(names.pluginUri) + "\n\ta lv2:Plugin , lv2:InstrumentPlugin ;\n";
  out += "\tlv2:binary " + binary + " ;\n\trdfs:seeAlso <kestrion.ttl> .\n\n";
  out += UiIri(names) + "\n\ta ui:X11UI ;\n";
  out += "\tlv2:binary " + binary + " ;\n\trdfs:seeAlso <kestrion.ttl> .\n";
  for (std::size_t program = 0; program < description.programs.size(); ++program) {
    out += "\n" + ProgramIri(names, static_cast<int>(program)) + "\n\ta pset:Preset ;\n";
    out += "\tlv2:appliesTo " + Iri(names.pluginUri) + " ;\n";
    out += "\trdfs:label " + Literal(description.programs[program].name) + " ;\n";
    out += "\trdfs:seeAlso <presets.ttl> .\n";
  }
  return out;
}

std::string PluginText(const BundleNames& names, const BundleDescription& description) {
  std::string out;
  AddPrefixes(out, {"atom", "bufsz", "doap", "foaf", "log", "lv2", "midi", "opts", "rdf", "rdfs", "state", "time", "ui",
                    "urid"});
  // A project too, as what has a maintainer must be.
  out += Iri(names.pluginUri) + "\n\ta lv2:Plugin , lv2:InstrumentPlugin , doap:Project ;\n";
  out += "\tdoap:name " + Literal(description.pluginName) + " ;\n";
  out += "\tdoap:maintainer [\n\t\tfoaf:name " + Literal(description.makerName) + " ;\n";
  out += "\t\tfoaf:homepage " + Iri(names.homepage) + "\n\t] ;\n";
  out += "\tlv2:minorVersion " + std::to_string(names.minorVersion) + " ;\n";
  out += "\tlv2:microVersion " + std::to_string(names.microVersion) + " ;\n";
  out += "\tlv2:requiredFeature urid:map ;\n";
  out += "\tlv2:optionalFeature lv2:hardRTCapable , opts:options , log:log , bufsz:boundedBlockLength ;\n";
  out += "\topts:supportedOption bufsz:maxBlockLength ;\n";
  out += "\tlv2:extensionData state:interface ;\n";
  out += "\tui:ui " + UiIri(names) + " ;\n";

  out += "\tlv2:port [\n";
  AddPort(out, "atom:AtomPort , lv2:InputPort", 0, kFixedPortSymbols[0], "Control");
  out += " ;\n\t\tatom:bufferType atom:Sequence ;\n\t\tatom:supports midi:MidiEvent , time:Position ;\n";
  out += "\t\tlv2:designation lv2:control\n\t] , [\n";
  AddPort(out, "atom:AtomPort , lv2:OutputPort", 1, kFixedPortSymbols[1], "MIDI Thru");
  out += " ;\n\t\tatom:bufferType atom:Sequence ;\n\t\tatom:supports midi:MidiEvent\n\t] , [\n";
  AddPort(out, "lv2:AudioPort , lv2:OutputPort", 2, kFixedPortSymbols[2], "Left");
  out += "\n\t] , [\n";
  AddPort(out, "lv2:AudioPort , lv2:OutputPort", 3, kFixedPortSymbols[3], "Right");
  for (std::size_t i = 0; i < description.controls.size(); ++i) {
    out += "\n\t] , [\n";
    AddControlPort(out, kFirstControlPort + static_cast<int>(i), description.controls[i]);
  }
  out += "\n\t] .\n\n";

  out += UiIri(names) + "\n\ta ui:X11UI ;\n";
  out += "\tlv2:binary " + Iri(names.binaryName) + " ;\n";
  // The panel is a child of the host's window, on the instance the host
  // hands over. It runs on the host's idle calls, which Qtractor makes
  // without offering the idle feature: that one is not required.
  out += "\tlv2:requiredFeature ui:parent , " + Iri(kInstanceAccess) + " ;\n";
  out += "\tlv2:optionalFeature ui:idleInterface , ui:resize , ui:touch , opts:options , urid:map ;\n";
  // The host's scale sets the panel's size unless the user chose one.
  out += "\topts:supportedOption ui:scaleFactor ;\n";
  out += "\tlv2:extensionData ui:idleInterface .\n";
  return out;
}

std::string PresetsText(const BundleNames& names, const BundleDescription& description) {
  std::string out;
  AddPrefixes(out, {"lv2", "pset", "rdfs"});
  for (std::size_t program = 0; program < description.programs.size(); ++program) {
    const Program& entry = description.programs[program];
    if (program > 0) out += "\n";
    out += ProgramIri(names, static_cast<int>(program)) + "\n\ta pset:Preset ;\n";
    out += "\tlv2:appliesTo " + Iri(names.pluginUri) + " ;\n";
    out += "\trdfs:label " + Literal(entry.name) + " ;\n\tlv2:port";
    for (std::size_t i = 0; i < entry.values.size() && i < description.controls.size(); ++i) {
      out += i == 0 ? " " : " ,\n\t\t";
      out +=
          "[ lv2:symbol " + Literal(description.controls[i].symbol) + " ; pset:value " + Number(entry.values[i]) + " ]";
    }
    out += " .\n";
  }
  return out;
}

}  // namespace lv2ttl
