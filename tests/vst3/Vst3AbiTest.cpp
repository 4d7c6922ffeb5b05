// Our declarations of the VST 3 interfaces against the published ones: each
// call's place in its interface's table (the published headers' order) and
// the ids' bytes as each system lays them out.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "vst3/Vst3Abi.h"

#ifdef _WIN32
#include <unknwn.h>
#endif

using namespace vst3;

namespace {

// A virtual call's slot in its table: in the C++ ABI both compilers use, a
// pointer to a virtual member holds one more than the slot's byte offset.
template <typename Member>
std::ptrdiff_t Slot(Member member) {
  static_assert(sizeof member == 2 * sizeof(void*), "a pointer to member of the common C++ ABI");
  std::ptrdiff_t raw;
  std::memcpy(&raw, &member, sizeof raw);
  return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

#ifndef _WIN32
// An id as the published headers write it, in the text form of its bytes on
// systems other than Windows: the four numbers in order, big-endian.
std::string Hex(const Uid& id) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (char byte : id.bytes) {
    text += digits[(static_cast<unsigned char>(byte) >> 4) & 0xF];
    text += digits[static_cast<unsigned char>(byte) & 0xF];
  }
  return text;
}
#endif

}  // namespace

TEST(Vst3Abi, EveryCallSitsAtItsPublishedPlaceInItsTable) {
  EXPECT_EQ(Slot(&FUnknown::queryInterface), 0);
  EXPECT_EQ(Slot(&FUnknown::release), 2);
  EXPECT_EQ(Slot(&IPluginBase::terminate), 4);
  EXPECT_EQ(Slot(&IPluginFactory::createInstance), 6);
  EXPECT_EQ(Slot(&IPluginFactory2::getClassInfo2), 7);
  EXPECT_EQ(Slot(&IPluginFactory3::setHostContext), 9);
  EXPECT_EQ(Slot(&IBStream::tell), 6);
  EXPECT_EQ(Slot(&IComponent::getControllerClassId), 5);
  EXPECT_EQ(Slot(&IComponent::setActive), 11);
  EXPECT_EQ(Slot(&IComponent::getState), 13);
  EXPECT_EQ(Slot(&IAudioProcessor::setBusArrangements), 3);
  EXPECT_EQ(Slot(&IAudioProcessor::process), 9);
  EXPECT_EQ(Slot(&IAudioProcessor::getTailSamples), 10);
  EXPECT_EQ(Slot(&IProcessContextRequirements::getProcessContextRequirements), 3);
  EXPECT_EQ(Slot(&IEventList::addEvent), 5);
  EXPECT_EQ(Slot(&IParamValueQueue::addPoint), 6);
  EXPECT_EQ(Slot(&IParameterChanges::addParameterData), 5);
  EXPECT_EQ(Slot(&IComponentHandler::restartComponent), 6);
  EXPECT_EQ(Slot(&IComponentHandler2::finishGroupEdit), 6);
  EXPECT_EQ(Slot(&IEditController::setComponentState), 5);
  EXPECT_EQ(Slot(&IEditController::getParamStringByValue), 10);
  EXPECT_EQ(Slot(&IEditController::setParamNormalized), 15);
  EXPECT_EQ(Slot(&IEditController::createView), 17);
  EXPECT_EQ(Slot(&IMidiMapping::getMidiControllerAssignment), 3);
  EXPECT_EQ(Slot(&IUnitHandler::notifyProgramListChange), 4);
  EXPECT_EQ(Slot(&IUnitInfo::getProgramName), 7);
  EXPECT_EQ(Slot(&IUnitInfo::setUnitProgramData), 14);
  EXPECT_EQ(Slot(&IHostApplication::createInstance), 4);
  EXPECT_EQ(Slot(&IPlugView::attached), 4);
  EXPECT_EQ(Slot(&IPlugView::setFrame), 12);
  EXPECT_EQ(Slot(&IPlugView::checkSizeConstraint), 14);
  EXPECT_EQ(Slot(&IPlugFrame::resizeView), 3);
  EXPECT_EQ(Slot(&IEventHandler::onFDIsSet), 3);
  EXPECT_EQ(Slot(&ITimerHandler::onTimer), 3);
  EXPECT_EQ(Slot(&IRunLoop::unregisterTimer), 6);
}

TEST(Vst3Abi, IdsAreLaidOutAsTheSystemExpects) {
#ifdef _WIN32
  // Windows: the system's own GUID layout, as its IUnknown shows.
  EXPECT_EQ(std::memcmp(FUnknown::iid.bytes, &IID_IUnknown, 16), 0);
  const GUID component = {0xE831FF31, 0xF2D5, 0x4301, {0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02}};
  EXPECT_EQ(std::memcmp(IComponent::iid.bytes, &component, 16), 0);
#else
  EXPECT_EQ(Hex(FUnknown::iid), "0000000000000000C000000000000046");
  EXPECT_EQ(Hex(IComponent::iid), "E831FF31F2D54301928EBBEE25697802");
  EXPECT_EQ(Hex(IEditController::iid), "DCD7BBE37742448DA874AACC979C759E");
#endif
}
