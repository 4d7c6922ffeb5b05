// The program record: a version tag, the program's number and name, then
// every parameter value in index order. It is the payload of every program
// slot, chunk and file.
#include <cmath>
#include <cstring>

#include "instrument/Kestrion.h"

namespace {

constexpr char kRecordTag[] = "Kestrion_2.3.1";
constexpr int kTagLength = 14;
constexpr int kNameLengthOffset = kTagLength + 4;  // after the tag and the program number
constexpr int kNameOffset = kNameLengthOffset + 4;

static_assert(sizeof kRecordTag - 1 == kTagLength);

bool HasTag(const StateBuffer& buffer, int position) {
  return buffer.Remaining(position) >= kTagLength && std::memcmp(buffer.Data() + position, kRecordTag, kTagLength) == 0;
}

// Where the values of the record at `position` start, or -1 when the record's
// name length cannot be read or points past the data.
int ValuesStart(const StateBuffer& buffer, int position) {
  if (!HasTag(buffer, position)) return position;
  std::int32_t nameLength = 0;
  if (buffer.ReadInt32(position + kNameLengthOffset, &nameLength) < 0) return -1;
  long long start = static_cast<long long>(position) + kNameOffset + nameLength;
  if (nameLength < 0 || start > buffer.Size()) return -1;
  return static_cast<int>(start);
}

}  // namespace

void Kestrion::WriteRecordHead(StateBuffer& buffer) const {
  buffer.AppendBytes(kRecordTag, kTagLength);
  buffer.AppendInt32(CurrentPreset());
  buffer.AppendString(PresetName(CurrentPreset()));
}

bool Kestrion::SerializeCurrentState(StateBuffer& buffer) {
  Lock lock(*this);
  WriteRecordHead(buffer);
  for (int i = 0; i < ParameterCount(); ++i) {
    buffer.AppendDouble(Parameter(i)->value);
    if (buffer.Size() <= 0) return false;
  }
  return true;
}

int Kestrion::UnserializeState(const StateBuffer& buffer, int position) {
  Lock lock(*this);
  BulkEdit bulk(*this);
  position = ValuesStart(buffer, position);
  for (int i = 0; i < ParameterCount() && position >= 0; ++i) {
    double v = 0;
    position = buffer.ReadDouble(position, &v);
    if (position < 0) v = 0;
    EffectParameter* parameter = Parameter(i);
    parameter->value = parameter->Clamp(v);
  }
  NotifyAllParameters();
  return position;
}

// The record as SerializeCurrentState writes it after UnserializeState has
// read this one: the current program's number and name, the values clamped.
int Kestrion::TranscribeState(const StateBuffer& buffer, int position, StateBuffer& out) {
  position = ValuesStart(buffer, position);
  if (position < 0) return -1;
  Lock lock(*this);
  WriteRecordHead(out);
  return TranscribeParams(buffer, position, out);
}

int Kestrion::MeasureState(const StateBuffer& buffer, int position) const {
  position = ValuesStart(buffer, position);
  return position < 0 ? -1 : MeasureParams(buffer, position);
}
