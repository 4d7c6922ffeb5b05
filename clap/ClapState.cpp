// The state extension: the whole bank, byte for byte the bank chunk the
// VST 2.4 plug-in keeps in a host's project, so a state moves between the
// formats. A state is read whole and checked before anything is applied.
#include "clap/ClapPlugin.h"

using namespace clap;

bool ClapPlugin::SaveState(const clap_plugin* plugin, const clap_ostream* stream) {
  ClapPlugin* self = From(plugin);
  if (!self || !stream || !stream->write) return false;
  StateBuffer& buffer = self->stateBuffer_;
  if (!self->instrument_->WriteBankState(buffer)) return false;
  // Hosts may take fewer bytes than offered at a time.
  const std::uint8_t* data = buffer.Data();
  std::uint64_t left = static_cast<std::uint64_t>(buffer.Size());
  while (left > 0) {
    const std::int64_t written = stream->write(stream, data, left);
    if (written <= 0 || static_cast<std::uint64_t>(written) > left) return false;
    data += written;
    left -= static_cast<std::uint64_t>(written);
  }
  return true;
}

bool ClapPlugin::LoadState(const clap_plugin* plugin, const clap_istream* stream) {
  ClapPlugin* self = From(plugin);
  if (!self || !stream || !stream->read) return false;
  StateBuffer& buffer = self->stateBuffer_;
  buffer.Clear();
  std::uint8_t block[4096];
  for (;;) {
    const std::int64_t read = stream->read(stream, block, sizeof block);
    if (read == 0) break;
    if (read < 0 || read > static_cast<std::int64_t>(sizeof block)) return false;
    if (static_cast<std::uint64_t>(buffer.Size()) + static_cast<std::uint64_t>(read) > kMaxStateSize) return false;
    const int before = buffer.Size();
    buffer.AppendBytes(block, static_cast<int>(read));
    if (buffer.Size() != before + static_cast<int>(read)) return false;  // out of memory
  }

  if (!self->instrument_->ReadBankState(buffer)) return false;
  // The host asked for this state and reads the values it needs itself:
  // neither a rescan nor a changed state is reported (a host that takes a
  // rescan as edits would show every reopened project as modified).
  return true;
}
