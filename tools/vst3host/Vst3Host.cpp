#include "tools/vst3host/Vst3Host.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#ifndef _WIN32
#include <poll.h>
#endif

#include "platform/FileSystem.h"

using namespace vst3;

namespace vst3host {

namespace {

thread_local int tCallbackDepth = 0;
// Marks the host's own work inside a call from the plug-in.
struct InHost {
  InHost() { ++tCallbackDepth; }
  ~InHost() { --tCallbackDepth; }
};

constexpr char kAudioModuleClass[] = "Audio Module Class";
constexpr char kHostName[] = "Kestrion test host";
constexpr std::size_t kString128 = sizeof(String128) / sizeof(TChar);
#ifdef _WIN32
const FIDString kPlatformType = kPlatformTypeHWND;
#else
const FIDString kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

// Room in the output lists, reserved before a block: the plug-in adds to
// them on its audio thread, where the host may not allocate.
constexpr std::size_t kOutputEventCapacity = 4096;
constexpr int kSpareOutputQueues = 64;
constexpr int kSpareQueuePoints = 64;
// A timer interval is held to a day, so its next due time stays representable.
constexpr uint64 kLongestTimerMs = 24ull * 60 * 60 * 1000;

// The references the plug-in holds to one host object. The host owns its
// objects and they outlive the plug-in, so no count deletes anything; the
// host's total tells what the plug-in still holds.
class References {
 public:
  References(std::atomic<int>& total, std::atomic<int>& overReleases) : total_(total), overReleases_(overReleases) {}
  uint32 Add() {
    ++total_;
    return ++count_;
  }
  uint32 Release() {
    uint32 count = count_.load();
    do {
      if (count == 0) {
        ++overReleases_;
        return 0;
      }
    } while (!count_.compare_exchange_weak(count, count - 1));
    --total_;
    return count - 1;
  }
  // The answer of queryInterface: `found` (null when not offered), counted.
  tresult Hand(void* found, void** object) {
    if (!object) return kInvalidArgument;
    *object = found;
    if (!found) return kNoInterface;
    Add();
    return kResultOk;
  }

 private:
  std::atomic<uint32> count_{0};
  std::atomic<int>& total_;
  std::atomic<int>& overReleases_;
};

// The binary inside a bundle folder `Name.vst3`, or `path` itself when it
// names no folder.
std::string ModuleBinary(const std::string& path) {
  if (!platform::FolderExists(path)) return path;
  std::string folder = path;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  const std::size_t separator = folder.find_last_of("/\\");
  std::string name = separator == std::string::npos ? folder : folder.substr(separator + 1);
  const std::string suffix = ".vst3";
  if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
    name.resize(name.size() - suffix.size());
#ifdef _WIN32
  return platform::JoinPath(platform::JoinPath(platform::JoinPath(folder, "Contents"), "x86_64-win"), name + ".vst3");
#else
  return platform::JoinPath(platform::JoinPath(platform::JoinPath(folder, "Contents"), "x86_64-linux"), name + ".so");
#endif
}

// The code point at text[i], moving i past it; a malformed sequence reads
// as U+FFFD one byte long.
uint32 DecodeUtf8(const std::string& text, std::size_t& i) {
  constexpr uint32 kReplacement = 0xFFFD;
  static const uint32 kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
  uint32 code = length == 1 ? lead : lead & (0x7F >> length);
  bool valid = length > 0 && i + length <= text.size();
  for (std::size_t k = 1; valid && k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    valid = (next & 0xC0) == 0x80;
    code = (code << 6) | (next & 0x3F);
  }
  valid = valid && code >= kShortest[length] && code <= 0x10FFFF && (code < 0xD800 || code >= 0xE000);
  if (!valid) {
    ++i;
    return kReplacement;
  }
  i += length;
  return code;
}

void AppendUtf8(std::string& out, uint32 code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// A stream over bytes in memory, positioned anywhere from the start to the
// end; a read hands out and a write takes at most `chunk` bytes, as a file
// or network stream may.
class MemoryStream : public IBStream {
 public:
  MemoryStream(std::vector<std::uint8_t>* bytes, std::size_t chunk, std::atomic<int>& total,
               std::atomic<int>& overReleases)
      : bytes_(bytes), chunk_(chunk), refs_(total, overReleases) {}

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    const bool offered = SameUid(iid, FUnknown::iid) || SameUid(iid, IBStream::iid);
    return refs_.Hand(offered ? static_cast<IBStream*>(this) : nullptr, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  tresult read(void* buffer, int32 bytes, int32* bytesRead) override {
    InHost inHost;
    if (bytesRead) *bytesRead = 0;
    if (bytes < 0 || (!buffer && bytes > 0)) return kInvalidArgument;
    const std::size_t n = std::min({static_cast<std::size_t>(bytes), chunk_, bytes_->size() - position_});
    if (n > 0) std::memcpy(buffer, bytes_->data() + position_, n);
    position_ += n;
    if (bytesRead) *bytesRead = static_cast<int32>(n);
    return kResultOk;
  }
  tresult write(void* buffer, int32 bytes, int32* bytesWritten) override {
    InHost inHost;
    if (bytesWritten) *bytesWritten = 0;
    if (bytes < 0 || (!buffer && bytes > 0)) return kInvalidArgument;
    const std::size_t n = std::min(static_cast<std::size_t>(bytes), chunk_);
    if (bytes_->size() < position_ + n) bytes_->resize(position_ + n);
    if (n > 0) std::memcpy(bytes_->data() + position_, buffer, n);
    position_ += n;
    if (bytesWritten) *bytesWritten = static_cast<int32>(n);
    return kResultOk;
  }
  tresult seek(int64 position, int32 mode, int64* result) override {
    InHost inHost;
    const auto size = static_cast<int64>(bytes_->size());
    int64 target = position;
    if (mode == kIBSeekCur)
      target += static_cast<int64>(position_);
    else if (mode == kIBSeekEnd)
      target += size;
    else if (mode != kIBSeekSet)
      return kInvalidArgument;
    if (target < 0 || target > size) return kInvalidArgument;
    position_ = static_cast<std::size_t>(target);
    if (result) *result = target;
    return kResultOk;
  }
  tresult tell(int64* position) override {
    InHost inHost;
    if (!position) return kInvalidArgument;
    *position = static_cast<int64>(position_);
    return kResultOk;
  }

 private:
  std::vector<std::uint8_t>* bytes_;
  std::size_t chunk_;
  std::size_t position_ = 0;
  References refs_;
};

// One parameter's points in one block.
class ParamQueue : public IParamValueQueue {
 public:
  ParamQueue(bool writable, std::atomic<int>& total, std::atomic<int>& overReleases)
      : writable_(writable), refs_(total, overReleases) {}

  // Empty, for `id`; capacity kept.
  void Start(ParamID id) {
    id_ = id;
    points_.clear();
  }
  void Reserve(std::size_t points) { points_.reserve(points); }
  void Append(int32 offset, ParamValue value) { points_.push_back({offset, value}); }
  // Stable and in place: std::stable_sort takes a buffer, which a watch of
  // the audio thread would count against the plug-in.
  void SortByOffset() {
    for (std::size_t i = 1; i < points_.size(); ++i)
      for (std::size_t k = i; k > 0 && points_[k].offset < points_[k - 1].offset; --k)
        std::swap(points_[k], points_[k - 1]);
  }
  void AppendTo(std::vector<ParamPoint>* record) const {
    for (const Point& point : points_) record->push_back({id_, point.offset, point.value});
  }

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    const bool offered = SameUid(iid, FUnknown::iid) || SameUid(iid, IParamValueQueue::iid);
    return refs_.Hand(offered ? static_cast<IParamValueQueue*>(this) : nullptr, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  ParamID getParameterId() override { return id_; }
  int32 getPointCount() override { return static_cast<int32>(points_.size()); }
  tresult getPoint(int32 index, int32& offset, ParamValue& value) override {
    if (index < 0 || index >= getPointCount()) return kInvalidArgument;
    offset = points_[index].offset;
    value = points_[index].value;
    return kResultOk;
  }
  tresult addPoint(int32 offset, ParamValue value, int32& index) override {
    InHost inHost;
    if (!writable_) return kResultFalse;
    if (points_.size() == points_.capacity()) return kOutOfMemory;
    index = getPointCount();
    points_.push_back({offset, value});
    return kResultOk;
  }

 private:
  struct Point {
    int32 offset;
    ParamValue value;
  };
  const bool writable_;
  ParamID id_ = 0;
  std::vector<Point> points_;
  References refs_;
};

}  // namespace

// -- the host's objects ----------------------------------------------------------------

class Vst3Host::Context : public IHostApplication {
 public:
  explicit Context(Vst3Host& host) : refs_(host.references_, host.overReleases_) {}

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    const bool offered = SameUid(iid, FUnknown::iid) || SameUid(iid, IHostApplication::iid);
    return refs_.Hand(offered ? static_cast<IHostApplication*>(this) : nullptr, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  tresult getName(String128 name) override {
    InHost inHost;
    if (!name) return kInvalidArgument;
    ToUtf16(kHostName, name, kString128);
    return kResultOk;
  }
  tresult createInstance(TUID, TUID, void** object) override {
    if (object) *object = nullptr;
    return kNotImplemented;
  }

 private:
  References refs_;
};

class Vst3Host::Handler : public IComponentHandler, public IComponentHandler2, public IUnitHandler {
 public:
  explicit Handler(Vst3Host& host) : host_(host), refs_(host.references_, host.overReleases_) {}

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    void* found = nullptr;
    if (SameUid(iid, FUnknown::iid) || SameUid(iid, IComponentHandler::iid))
      found = static_cast<IComponentHandler*>(this);
    else if (SameUid(iid, IComponentHandler2::iid))
      found = static_cast<IComponentHandler2*>(this);
    else if (SameUid(iid, IUnitHandler::iid))
      found = static_cast<IUnitHandler*>(this);
    return refs_.Hand(found, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  tresult beginEdit(ParamID id) override {
    HandlerCall call = Call(HandlerCall::kBeginEdit);
    call.id = id;
    return Note(call);
  }
  tresult performEdit(ParamID id, ParamValue normalised) override {
    HandlerCall call = Call(HandlerCall::kPerformEdit);
    call.id = id;
    call.value = normalised;
    return Note(call);
  }
  tresult endEdit(ParamID id) override {
    HandlerCall call = Call(HandlerCall::kEndEdit);
    call.id = id;
    return Note(call);
  }
  tresult restartComponent(int32 flags) override {
    HandlerCall call = Call(HandlerCall::kRestartComponent);
    call.flags = flags;
    return Note(call);
  }
  tresult setDirty(TBool state) override {
    HandlerCall call = Call(HandlerCall::kSetDirty);
    call.flags = state;
    return Note(call);
  }
  // The test host opens no editor of its own accord.
  tresult requestOpenEditor(FIDString) override {
    Note(Call(HandlerCall::kRequestOpenEditor));
    return kResultFalse;
  }
  tresult startGroupEdit() override { return Note(Call(HandlerCall::kStartGroupEdit)); }
  tresult finishGroupEdit() override { return Note(Call(HandlerCall::kFinishGroupEdit)); }
  tresult notifyUnitSelection(UnitID unit) override {
    HandlerCall call = Call(HandlerCall::kUnitSelection);
    call.unit = unit;
    return Note(call);
  }
  tresult notifyProgramListChange(ProgramListID list, int32 program) override {
    HandlerCall call = Call(HandlerCall::kProgramListChange);
    call.list = list;
    call.program = program;
    return Note(call);
  }

 private:
  static HandlerCall Call(HandlerCall::Kind kind) {
    HandlerCall call;
    call.kind = kind;
    return call;
  }
  tresult Note(HandlerCall call) {
    InHost inHost;
    host_.Record(call);
    return kResultOk;
  }

  Vst3Host& host_;
  References refs_;
};

// The editor's frame, and on Linux the run loop it offers: the view's
// timers and descriptors are served by RunLoopOnce on the UI thread.
class Vst3Host::Frame : public IPlugFrame, public IRunLoop {
 public:
  explicit Frame(Vst3Host& host) : host_(host), refs_(host.references_, host.overReleases_) {}

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    void* found = nullptr;
    if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPlugFrame::iid)) found = static_cast<IPlugFrame*>(this);
#ifndef _WIN32
    if (SameUid(iid, IRunLoop::iid)) found = static_cast<IRunLoop*>(this);
#endif
    return refs_.Hand(found, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  // A host that grants passes the size on to the view at once, as the interface asks.
  tresult resizeView(IPlugView* view, ViewRect* size) override {
    {
      InHost inHost;
      host_.CheckUiThread();
      if (!size) return kInvalidArgument;
      std::lock_guard<std::mutex> lock(host_.mutex_);
      host_.resizeRequests_.push_back(*size);
    }
    if (!view || view != host_.view_) return kInvalidArgument;
    if (!host_.grantsResize_) return kResultFalse;
    ViewRect rect = *size;
    view->onSize(&rect);
    return kResultOk;
  }

  // Each registration holds a reference to its handler until it ends.
  tresult registerEventHandler(IEventHandler* handler, int descriptor) override {
    InHost inHost;
    host_.CheckUiThread();
    if (!handler || descriptor < 0) return kInvalidArgument;
    handler->addRef();
    std::lock_guard<std::mutex> lock(host_.mutex_);
    watches_.push_back({handler, descriptor});
    return kResultOk;
  }
  tresult unregisterEventHandler(IEventHandler* handler) override {
    InHost inHost;
    host_.CheckUiThread();
    return Unregister(watches_, handler);
  }
  tresult registerTimer(ITimerHandler* handler, uint64 milliseconds) override {
    InHost inHost;
    host_.CheckUiThread();
    if (!handler) return kInvalidArgument;
    handler->addRef();
    const std::chrono::milliseconds interval(std::min(milliseconds, kLongestTimerMs));
    std::lock_guard<std::mutex> lock(host_.mutex_);
    timers_.push_back({handler, interval, std::chrono::steady_clock::now() + interval});
    return kResultOk;
  }
  tresult unregisterTimer(ITimerHandler* handler) override {
    InHost inHost;
    host_.CheckUiThread();
    return Unregister(timers_, handler);
  }

  void Turn() {
    std::vector<Watch> watches;
    std::vector<ITimerHandler*> due;
    const auto now = std::chrono::steady_clock::now();
    {
      std::lock_guard<std::mutex> lock(host_.mutex_);
      watches = watches_;
      for (Timer& timer : timers_)
        if (now >= timer.due) {
          due.push_back(timer.handler);
          timer.due = now + timer.interval;
        }
    }
    // A callback may end another registration: each handler is held through
    // the turn and called only while it is still registered.
    for (const Watch& watch : watches) watch.handler->addRef();
    for (ITimerHandler* handler : due) handler->addRef();
#ifndef _WIN32
    std::vector<pollfd> descriptors;
    for (const Watch& watch : watches) descriptors.push_back({watch.descriptor, POLLIN, 0});
    if (!descriptors.empty() && poll(descriptors.data(), descriptors.size(), 0) > 0)
      for (std::size_t i = 0; i < watches.size(); ++i)
        if ((descriptors[i].revents & POLLIN) && Registered(watches_, watches[i].handler))
          watches[i].handler->onFDIsSet(watches[i].descriptor);
#endif
    for (ITimerHandler* handler : due)
      if (Registered(timers_, handler)) handler->onTimer();
    for (const Watch& watch : watches) watch.handler->release();
    for (ITimerHandler* handler : due) handler->release();
  }

  int Timers() const {
    std::lock_guard<std::mutex> lock(host_.mutex_);
    return static_cast<int>(timers_.size());
  }
  int Descriptors() const {
    std::lock_guard<std::mutex> lock(host_.mutex_);
    return static_cast<int>(watches_.size());
  }

  // Ends the registrations the plug-in left, before its module goes.
  void EndAll() {
    std::vector<Watch> watches;
    std::vector<Timer> timers;
    {
      std::lock_guard<std::mutex> lock(host_.mutex_);
      watches.swap(watches_);
      timers.swap(timers_);
    }
    for (const Watch& watch : watches) watch.handler->release();
    for (const Timer& timer : timers) timer.handler->release();
  }

 private:
  struct Watch {
    IEventHandler* handler;
    int descriptor;
  };
  struct Timer {
    ITimerHandler* handler;
    std::chrono::milliseconds interval;
    std::chrono::steady_clock::time_point due;
  };

  template <typename Entry, typename Callback>
  bool Registered(const std::vector<Entry>& entries, Callback* handler) const {
    std::lock_guard<std::mutex> lock(host_.mutex_);
    return std::any_of(entries.begin(), entries.end(), [handler](const Entry& e) { return e.handler == handler; });
  }
  // Ends every registration of `handler`; its references are released with
  // no lock held, since a release may call back.
  template <typename Entry, typename Callback>
  tresult Unregister(std::vector<Entry>& entries, Callback* handler) {
    std::vector<Entry> ended;
    {
      std::lock_guard<std::mutex> lock(host_.mutex_);
      auto kept = std::stable_partition(entries.begin(), entries.end(),
                                        [handler](const Entry& e) { return e.handler != handler; });
      ended.assign(kept, entries.end());
      entries.erase(kept, entries.end());
    }
    for (const Entry& entry : ended) entry.handler->release();
    return ended.empty() ? kInvalidArgument : kResultOk;
  }

  Vst3Host& host_;
  References refs_;
  std::vector<Watch> watches_;
  std::vector<Timer> timers_;
};

// The events of one block: the input list the host fills before the call,
// or the output list the plug-in adds to within the room reserved for it.
class Vst3Host::EventList : public IEventList {
 public:
  EventList(Vst3Host& host, bool writable) : writable_(writable), refs_(host.references_, host.overReleases_) {}

  void Fill(const std::vector<Event>& events) { events_ = events; }
  void Clear() { events_.clear(); }
  void Reserve(std::size_t events) { events_.reserve(events); }
  const std::vector<Event>& Events() const { return events_; }

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    const bool offered = SameUid(iid, FUnknown::iid) || SameUid(iid, IEventList::iid);
    return refs_.Hand(offered ? static_cast<IEventList*>(this) : nullptr, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  int32 getEventCount() override { return static_cast<int32>(events_.size()); }
  tresult getEvent(int32 index, Event& event) override {
    if (index < 0 || index >= getEventCount()) return kInvalidArgument;
    event = events_[index];
    return kResultOk;
  }
  tresult addEvent(Event& event) override {
    InHost inHost;
    if (!writable_) return kResultFalse;
    if (events_.size() == events_.capacity()) return kOutOfMemory;
    events_.push_back(event);
    return kResultOk;
  }

 private:
  const bool writable_;
  std::vector<Event> events_;
  References refs_;
};

// The parameter changes of one block, a queue per parameter: the input
// changes the host fills before the call, or the output changes the plug-in
// adds to within the room reserved for them.
class Vst3Host::ParamChanges : public IParameterChanges {
 public:
  ParamChanges(Vst3Host& host, bool writable)
      : host_(host), writable_(writable), refs_(host.references_, host.overReleases_) {}

  // Room for `queues` queues of `points` points each, all empty.
  void Reserve(std::size_t queues, std::size_t points) {
    while (queues_.size() < queues)
      queues_.push_back(std::make_unique<ParamQueue>(writable_, host_.references_, host_.overReleases_));
    for (auto& queue : queues_) queue->Reserve(points);
    Clear();
  }
  void Clear() {
    for (int32 i = 0; i < used_; ++i) queues_[i]->Start(0);
    used_ = 0;
  }
  // A queue for each id in the order the ids first come, its points sorted by offset.
  void Fill(const std::vector<ParamPoint>& points) {
    Reserve(points.size(), points.size());
    for (const ParamPoint& point : points) {
      int32 index = Find(point.id);
      if (index < 0) index = Take(point.id);
      queues_[index]->Append(point.offset, point.value);
    }
    for (int32 i = 0; i < used_; ++i) queues_[i]->SortByOffset();
  }
  void AppendTo(std::vector<ParamPoint>* record) const {
    for (int32 i = 0; i < used_; ++i) queues_[i]->AppendTo(record);
  }

  tresult queryInterface(const TUID iid, void** object) override {
    InHost inHost;
    const bool offered = SameUid(iid, FUnknown::iid) || SameUid(iid, IParameterChanges::iid);
    return refs_.Hand(offered ? static_cast<IParameterChanges*>(this) : nullptr, object);
  }
  uint32 addRef() override { return refs_.Add(); }
  uint32 release() override { return refs_.Release(); }

  int32 getParameterCount() override { return used_; }
  IParamValueQueue* getParameterData(int32 index) override {
    return index >= 0 && index < used_ ? queues_[index].get() : nullptr;
  }
  // An id already in the list gets its queue back.
  IParamValueQueue* addParameterData(const ParamID& id, int32& index) override {
    InHost inHost;
    if (!writable_) return nullptr;
    int32 found = Find(id);
    if (found < 0 && static_cast<std::size_t>(used_) < queues_.size()) found = Take(id);
    if (found < 0) return nullptr;
    index = found;
    return queues_[found].get();
  }

 private:
  int32 Find(ParamID id) const {
    for (int32 i = 0; i < used_; ++i)
      if (queues_[i]->getParameterId() == id) return i;
    return -1;
  }
  int32 Take(ParamID id) {
    queues_[used_]->Start(id);
    return used_++;
  }

  Vst3Host& host_;
  const bool writable_;
  std::vector<std::unique_ptr<ParamQueue>> queues_;
  int32 used_ = 0;
  References refs_;
};

// -- events and texts -------------------------------------------------------------------

Event NoteOn(int32 offset, int pitch, float velocity, int channel) {
  Event event{};
  event.sampleOffset = offset;
  event.flags = Event::kIsLive;
  event.type = Event::kNoteOnEvent;
  event.noteOn.channel = static_cast<int16>(channel);
  event.noteOn.pitch = static_cast<int16>(pitch);
  event.noteOn.velocity = velocity;
  event.noteOn.noteId = -1;
  return event;
}

Event NoteOff(int32 offset, int pitch, float velocity, int channel) {
  Event event{};
  event.sampleOffset = offset;
  event.flags = Event::kIsLive;
  event.type = Event::kNoteOffEvent;
  event.noteOff.channel = static_cast<int16>(channel);
  event.noteOff.pitch = static_cast<int16>(pitch);
  event.noteOff.velocity = velocity;
  event.noteOff.noteId = -1;
  return event;
}

std::string ToUtf8(const char16* text, std::size_t capacity) {
  std::string out;
  if (!text) return out;
  for (std::size_t i = 0; i < capacity && text[i] != 0; ++i) {
    uint32 code = text[i];
    const bool high = code >= 0xD800 && code < 0xDC00;
    if (high && i + 1 < capacity && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (code >= 0xD800 && code < 0xE000)
      code = 0xFFFD;
    AppendUtf8(out, code);
  }
  return out;
}

void ToUtf16(const std::string& text, char16* out, std::size_t capacity) {
  if (!out || capacity == 0) return;
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size();) {
    uint32 code = DecodeUtf8(text, i);
    const std::size_t units = code >= 0x10000 ? 2 : 1;
    if (n + units >= capacity) break;
    if (units == 2) {
      code -= 0x10000;
      out[n++] = static_cast<char16>(0xD800 + (code >> 10));
      out[n++] = static_cast<char16>(0xDC00 + (code & 0x3FF));
    } else {
      out[n++] = static_cast<char16>(code);
    }
  }
  out[n] = 0;
}

// -- loading ----------------------------------------------------------------------------------

Vst3Host::Vst3Host()
    : uiThread_(std::this_thread::get_id()),
      context_(std::make_unique<Context>(*this)),
      handler_(std::make_unique<Handler>(*this)),
      frame_(std::make_unique<Frame>(*this)),
      inputEvents_(std::make_unique<EventList>(*this, false)),
      outputEvents_(std::make_unique<EventList>(*this, true)),
      inputParams_(std::make_unique<ParamChanges>(*this, false)),
      outputParams_(std::make_unique<ParamChanges>(*this, true)) {}

Vst3Host::~Vst3Host() { Unload(); }

bool Vst3Host::Fail(const std::string& why, std::string* error) {
  Unload();
  if (error) *error = why;
  return false;
}

bool Vst3Host::Load(const std::string& bundleOrBinary, std::string* error) {
  Unload();
  uiThread_ = std::this_thread::get_id();
  const std::string path = ModuleBinary(bundleOrBinary);
  std::string why;
  library_ = platform::OpenLibrary(path, &why);
  if (!library_.handle) return Fail("cannot load plug-in '" + path + "': " + why, error);
#ifdef _WIN32
  using EntryProc = bool (*)();
  auto entry = reinterpret_cast<EntryProc>(platform::FindSymbol(library_, "InitDll"));
  if (entry && !entry()) return Fail("'" + path + "' refused InitDll", error);
#else
  using EntryProc = bool (*)(void*);
  auto entry = reinterpret_cast<EntryProc>(platform::FindSymbol(library_, "ModuleEntry"));
  if (entry && !entry(library_.handle)) return Fail("'" + path + "' refused ModuleEntry", error);
#endif
  moduleEntered_ = entry != nullptr;

  auto getFactory = reinterpret_cast<GetFactoryProc>(platform::FindSymbol(library_, "GetPluginFactory"));
  if (!getFactory) return Fail("'" + path + "' is not a VST 3 module: no GetPluginFactory", error);
  return Create(getFactory, path, error);
}

bool Vst3Host::Attach(GetFactoryProc getFactory, const std::string& name, std::string* error) {
  Unload();
  uiThread_ = std::this_thread::get_id();
  return Create(getFactory, name, error);
}

bool Vst3Host::Create(GetFactoryProc getFactory, const std::string& path, std::string* error) {
  factory_ = getFactory ? getFactory() : nullptr;
  if (!factory_) return Fail("'" + path + "' returned no factory", error);
  if (factory_->getFactoryInfo(&factoryInfo_) != kResultOk) factoryInfo_ = {};
  factory2_ = Query<IPluginFactory2>(factory_);
  factory3_ = Query<IPluginFactory3>(factory_);
  const int32 classes = factory_->countClasses();
  for (int32 i = 0; i < classes && classIndex_ < 0; ++i) {
    PClassInfo info{};
    if (factory_->getClassInfo(i, &info) == kResultOk &&
        std::strncmp(info.category, kAudioModuleClass, sizeof info.category) == 0) {
      classIndex_ = i;
      classInfo_ = info;
    }
  }
  if (classIndex_ < 0) return Fail("'" + path + "' lists no class of the category Audio Module Class", error);

  // A plug-in object that refuses initialize is released at once, without terminate.
  void* object = nullptr;
  if (factory_->createInstance(classInfo_.cid, IComponent::iid.bytes, &object) != kResultOk || !object)
    return Fail("'" + path + "' created no component", error);
  component_ = static_cast<IComponent*>(object);
  if (component_->initialize(context_.get()) != kResultOk) {
    Release(component_);
    return Fail("the component refused to initialise", error);
  }

  controller_ = Query<IEditController>(component_);
  singleObject_ = controller_ != nullptr;
  if (!singleObject_) {
    TUID controllerId = {};
    if (component_->getControllerClassId(controllerId) != kResultOk)
      return Fail("the component has no edit controller", error);
    object = nullptr;
    if (factory_->createInstance(controllerId, IEditController::iid.bytes, &object) != kResultOk || !object)
      return Fail("'" + path + "' created no edit controller", error);
    controller_ = static_cast<IEditController*>(object);
    if (controller_->initialize(context_.get()) != kResultOk) {
      Release(controller_);
      return Fail("the edit controller refused to initialise", error);
    }
    // A separate controller starts from the component's state, as hosts hand it over.
    std::vector<std::uint8_t> state;
    MemoryStream stream(&state, SIZE_MAX, references_, overReleases_);
    if (component_->getState(&stream) == kResultOk && stream.seek(0, IBStream::kIBSeekSet, nullptr) == kResultOk)
      controller_->setComponentState(&stream);
  }
  processor_ = Query<IAudioProcessor>(component_);
  units_ = Query<IUnitInfo>(controller_);
  midiMapping_ = Query<IMidiMapping>(controller_);
  controller_->setComponentHandler(handler_.get());
  return true;
}

void Vst3Host::Unload() {
  CloseView();
  Deactivate();
  frame_->EndAll();
  if (controller_ && !singleObject_) controller_->terminate();
  if (component_) component_->terminate();
  Release(midiMapping_);
  Release(units_);
  Release(processor_);
  Release(controller_);
  Release(component_);
  Release(factory3_);
  Release(factory2_);
  Release(factory_);
  if (moduleEntered_ && library_.handle) {
#ifdef _WIN32
    const char* exitName = "ExitDll";
#else
    const char* exitName = "ModuleExit";
#endif
    using ExitProc = bool (*)();
    auto exit = reinterpret_cast<ExitProc>(platform::FindSymbol(library_, exitName));
    if (exit) exit();
  }
  moduleEntered_ = false;
  platform::CloseLibrary(library_);
  singleObject_ = false;
  classIndex_ = -1;
  classInfo_ = {};
  factoryInfo_ = {};
  viewSize_ = {};
  contextRequirements_ = 0;
}

bool Vst3Host::ClassInfo2(PClassInfo2* info) const {
  return factory2_ && info && factory2_->getClassInfo2(classIndex_, info) == kResultOk;
}

bool Vst3Host::ClassInfoW(PClassInfoW* info) const {
  return factory3_ && info && factory3_->getClassInfoUnicode(classIndex_, info) == kResultOk;
}

int Vst3Host::BusCount(MediaType type, BusDirection direction) const {
  return component_ ? component_->getBusCount(type, direction) : 0;
}

bool Vst3Host::BusInfo(MediaType type, BusDirection direction, int index, vst3::BusInfo* info) const {
  return component_ && info && component_->getBusInfo(type, direction, index, *info) == kResultOk;
}

// -- processing --------------------------------------------------------------------------------

bool Vst3Host::Activate(double rate, int maxBlock, bool doublePrecision) {
  if (!processor_ || active_ || maxBlock <= 0) return false;
  const int32 sampleSize = doublePrecision ? kSample64 : kSample32;
  if (processor_->canProcessSampleSize(sampleSize) != kResultTrue) return false;
  SpeakerArrangement stereo = kStereo;
  if (processor_->setBusArrangements(nullptr, 0, &stereo, 1) != kResultTrue) return false;
  if (auto* requirements = Query<IProcessContextRequirements>(processor_)) {
    contextRequirements_ = requirements->getProcessContextRequirements();
    requirements->release();
  }
  ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
  if (processor_->setupProcessing(setup) != kResultOk) return false;
  component_->activateBus(kAudio, kOutput, 0, 1);
  if (BusCount(kEvent, kInput) > 0) component_->activateBus(kEvent, kInput, 0, 1);

  // The host's side of every block is allocated here, before the first.
  doublePrecision_ = doublePrecision;
  maxBlock_ = maxBlock;
  for (int channel = 0; channel < 2; ++channel) {
    out32_[channel].assign(maxBlock, 0.0f);
    out64_[channel].assign(maxBlock, 0.0);
  }
  left_.reserve(maxBlock);
  right_.reserve(maxBlock);
  outputEvents_->Reserve(kOutputEventCapacity);
  outputParams_->Reserve(std::max(ParamCount(), 0) + kSpareOutputQueues, maxBlock + kSpareQueuePoints);

  if (component_->setActive(1) != kResultOk) return false;
  active_ = true;
  // Plug-ins with nothing to do here may say so.
  const tresult processing = processor_->setProcessing(1);
  if (processing != kResultOk && processing != kNotImplemented) {
    Deactivate();
    return false;
  }
  processing_ = true;
  return true;
}

void Vst3Host::Deactivate() {
  if (processing_) processor_->setProcessing(0);
  processing_ = false;
  if (active_) component_->setActive(0);
  active_ = false;
}

tresult Vst3Host::Process(int frames, const std::vector<Event>& events, const std::vector<ParamPoint>& params,
                          const ProcessContext* context) {
  if (!processing_) return kNotInitialized;
  if (frames < 0 || frames > maxBlock_) return kInvalidArgument;
  inputEvents_->Fill(events);
  inputParams_->Fill(params);
  outputEvents_->Clear();
  outputParams_->Clear();
  float* channels32[2] = {out32_[0].data(), out32_[1].data()};
  double* channels64[2] = {out64_[0].data(), out64_[1].data()};
  for (int channel = 0; channel < 2; ++channel) {
    std::fill_n(channels32[channel], frames, 0.0f);
    std::fill_n(channels64[channel], frames, 0.0);
  }
  AudioBusBuffers output{};
  output.numChannels = 2;
  if (doublePrecision_)
    output.channelBuffers64 = channels64;
  else
    output.channelBuffers32 = channels32;

  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = doublePrecision_ ? kSample64 : kSample32;
  data.numSamples = frames;
  data.numOutputs = 1;
  data.outputs = &output;
  data.inputParameterChanges = inputParams_.get();
  data.outputParameterChanges = outputParams_.get();
  data.inputEvents = inputEvents_.get();
  data.outputEvents = outputEvents_.get();
  if (context) {
    processContext_ = *context;
    data.processContext = &processContext_;
  }
  const tresult result = processor_->process(data);

  silenceFlags_ = output.silenceFlags;
  if (doublePrecision_) {
    left_.assign(channels64[0], channels64[0] + frames);
    right_.assign(channels64[1], channels64[1] + frames);
  } else {
    left_.assign(channels32[0], channels32[0] + frames);
    right_.assign(channels32[1], channels32[1] + frames);
  }
  outputEventRecord_ = outputEvents_->Events();
  outputParamRecord_.clear();
  outputParams_->AppendTo(&outputParamRecord_);
  return result;
}

// -- parameters, state, programs -------------------------------------------------------------------

int Vst3Host::ParamCount() const { return controller_ ? controller_->getParameterCount() : 0; }

bool Vst3Host::ParamInfo(int index, ParameterInfo* info) const {
  return controller_ && info && controller_->getParameterInfo(index, *info) == kResultOk;
}

double Vst3Host::ParamNormalized(ParamID id) const { return controller_ ? controller_->getParamNormalized(id) : 0; }

tresult Vst3Host::SetParamNormalized(ParamID id, double normalized) const {
  return controller_ ? controller_->setParamNormalized(id, normalized) : kNotInitialized;
}

std::string Vst3Host::ValueToText(ParamID id, double normalized) const {
  String128 text = {};
  if (!controller_ || controller_->getParamStringByValue(id, normalized, text) != kResultOk) return "(refused)";
  return ToUtf8(text, kString128);
}

bool Vst3Host::TextToValue(ParamID id, const std::string& text, double* normalized) const {
  String128 utf16 = {};
  ToUtf16(text, utf16, kString128);
  ParamValue value = 0;
  if (!controller_ || !normalized || controller_->getParamValueByString(id, utf16, value) != kResultOk) return false;
  *normalized = value;
  return true;
}

double Vst3Host::NormalizedToPlain(ParamID id, double normalized) const {
  return controller_ ? controller_->normalizedParamToPlain(id, normalized) : 0;
}

double Vst3Host::PlainToNormalized(ParamID id, double plain) const {
  return controller_ ? controller_->plainParamToNormalized(id, plain) : 0;
}

bool Vst3Host::SaveState(std::vector<std::uint8_t>* component, std::vector<std::uint8_t>* controller,
                         std::size_t chunk) {
  if (!component_ || !controller_ || !component) return false;
  component->clear();
  MemoryStream componentStream(component, chunk, references_, overReleases_);
  if (component_->getState(&componentStream) != kResultOk) return false;
  std::vector<std::uint8_t> unkept;
  std::vector<std::uint8_t>* controllerBytes = controller ? controller : &unkept;
  controllerBytes->clear();
  MemoryStream controllerStream(controllerBytes, chunk, references_, overReleases_);
  return controller_->getState(&controllerStream) == kResultOk;
}

bool Vst3Host::LoadState(const std::vector<std::uint8_t>& component, std::size_t chunk) {
  if (!component_ || !controller_) return false;
  std::vector<std::uint8_t> bytes = component;
  MemoryStream stream(&bytes, chunk, references_, overReleases_);
  if (component_->setState(&stream) != kResultOk) return false;
  if (stream.seek(0, IBStream::kIBSeekSet, nullptr) != kResultOk) return false;
  return controller_->setComponentState(&stream) == kResultOk;
}

bool Vst3Host::LoadControllerState(const std::vector<std::uint8_t>& controller, std::size_t chunk) {
  if (!controller_) return false;
  std::vector<std::uint8_t> bytes = controller;
  MemoryStream stream(&bytes, chunk, references_, overReleases_);
  return controller_->setState(&stream) == kResultOk;
}

int Vst3Host::ProgramListCount() const { return units_ ? units_->getProgramListCount() : 0; }

bool Vst3Host::ProgramListInfo(int index, vst3::ProgramListInfo* info) const {
  return units_ && info && units_->getProgramListInfo(index, *info) == kResultOk;
}

std::string Vst3Host::ProgramName(ProgramListID list, int program) const {
  String128 name = {};
  if (!units_ || units_->getProgramName(list, program, name) != kResultOk) return "(refused)";
  return ToUtf8(name, kString128);
}

bool Vst3Host::MidiAssignment(int16 channel, int16 controller, ParamID* id) const {
  ParamID assigned = 0;
  if (!midiMapping_ || midiMapping_->getMidiControllerAssignment(0, channel, controller, assigned) != kResultTrue)
    return false;
  if (id) *id = assigned;
  return true;
}

// -- the editor ----------------------------------------------------------------------------------

bool Vst3Host::OpenView(void* parent) {
  if (!controller_ || view_) return false;
  view_ = controller_->createView(kEditorViewType);
  if (!view_) return false;
  bool opened =
      view_->setFrame(frame_.get()) == kResultOk && view_->isPlatformTypeSupported(kPlatformType) == kResultTrue;
  // The scale comes first, as hosts give it: the size asked next follows it.
  if (opened && contentScale_ > 0)
    if (auto* scaling = Query<IPlugViewContentScaleSupport>(view_)) {
      scaling->setContentScaleFactor(contentScale_);
      Release(scaling);
    }
  opened = opened && view_->getSize(&viewSize_) == kResultOk && view_->attached(parent, kPlatformType) == kResultOk;
  if (!opened) {
    view_->setFrame(nullptr);
    Release(view_);
  }
  return opened;
}

void Vst3Host::CloseView() {
  if (!view_) return;
  view_->removed();
  view_->setFrame(nullptr);
  Release(view_);
}

std::vector<ViewRect> Vst3Host::ResizeRequests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return resizeRequests_;
}

void Vst3Host::RunLoopOnce() { frame_->Turn(); }

int Vst3Host::RegisteredTimers() const { return frame_->Timers(); }

int Vst3Host::RegisteredDescriptors() const { return frame_->Descriptors(); }

// -- what the plug-in asked ----------------------------------------------------------------------

void Vst3Host::CheckUiThread() {
  if (std::this_thread::get_id() != uiThread_) ++offUiThread_;
}

void Vst3Host::Record(const HandlerCall& call) {
  CheckUiThread();
  std::lock_guard<std::mutex> lock(mutex_);
  handlerCalls_.push_back(call);
  handlerCalls_.back().thread = std::this_thread::get_id();
}

std::vector<HandlerCall> Vst3Host::HandlerCalls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handlerCalls_;
}

void Vst3Host::ClearHandlerCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  handlerCalls_.clear();
}

bool Vst3Host::InCallback() { return tCallbackDepth > 0; }

}  // namespace vst3host
