// The instance guard's decisions, walked with the answers that Windows (and Wine) can give.
#include "platform/instance_guard.h"

#include <gmock/gmock.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace {

using platform::GuardPlace;

// Answers each call from its script, in order, and records the calls.
class ScriptedCalls final : public platform::GuardCalls {
 public:
  ScriptedCalls(std::deque<std::uint32_t> creates, std::deque<std::uint32_t> opens,
                std::uint32_t mutex)
      : creates_(std::move(creates)), opens_(std::move(opens)), mutex_(mutex) {}
  platform::ErrorCode CreateNamespace() override { return Next(creates_, "create"); }
  platform::ErrorCode OpenNamespace() override { return Next(opens_, "open"); }
  platform::ErrorCode CreateMutex(GuardPlace place) override {
    calls.push_back(place == GuardPlace::kGlobal ? "mutex in Global" : "mutex in namespace");
    return platform::ErrorCode{mutex_};
  }
  std::vector<std::string> calls;

 private:
  platform::ErrorCode Next(std::deque<std::uint32_t>& script, const char* call) {
    calls.emplace_back(call);
    const std::uint32_t answer = script.empty() ? 0 : script.front();
    if (!script.empty()) {
      script.pop_front();
    }
    return platform::ErrorCode{answer};
  }
  std::deque<std::uint32_t> creates_;
  std::deque<std::uint32_t> opens_;
  std::uint32_t mutex_;
};

struct GuardCase {
  const char* name;
  std::deque<std::uint32_t> creates;
  std::deque<std::uint32_t> opens;
  std::uint32_t mutex;
  bool anotherCopy;
  std::vector<std::string> calls;
};

class InstanceGuard : public ::testing::TestWithParam<GuardCase> {};

INSTANTIATE_TEST_SUITE_P(
    Guard, InstanceGuard,
    ::testing::Values(
        // Never Global\, where any user may have made a mutex of the name first.
        GuardCase{"Alone", {0}, {}, 0, false, {"create", "mutex in namespace"}},
        GuardCase{
            "BesideAnotherCopy", {183}, {0}, 183, true, {"create", "open", "mutex in namespace"}},
        // The copy that made the namespace ended between the create and the open.
        GuardCase{"AfterTheOtherCopyEnded",
                  {183, 0},
                  {2},
                  0,
                  false,
                  {"create", "open", "create", "mutex in namespace"}},
        // Wine makes no boundary: the guard falls back to Global\.
        GuardCase{"NoPrivateNamespaces", {50}, {}, 0, false, {"create", "mutex in Global"}},
        GuardCase{"NoPrivateNamespacesBesideAnotherCopy",
                  {50},
                  {},
                  183,
                  true,
                  {"create", "mutex in Global"}},
        GuardCase{"NoPrivateNamespacesBesideAnotherUsersCopy",
                  {50},
                  {},
                  5,
                  true,
                  {"create", "mutex in Global"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_P(InstanceGuard, TakesItOrFindsItTaken) {
  ScriptedCalls calls(GetParam().creates, GetParam().opens, GetParam().mutex);
  EXPECT_EQ(platform::AnotherCopyHoldsTheGuard(calls), GetParam().anotherCopy);
  EXPECT_EQ(calls.calls, GetParam().calls);
}

// A process without the Administrators group cannot make the namespace, nor can any other failure
// be read as another copy running: the run must not start unguarded, nor end as "already running".
TEST(InstanceGuardFailure, IsAFailureNeverAnAnswer) {
  for (ScriptedCalls calls :
       {ScriptedCalls({5}, {}, 0), ScriptedCalls({183, 183, 183, 183}, {5}, 0),
        ScriptedCalls({0}, {}, 5)}) {
    try {
      (void)platform::AnotherCopyHoldsTheGuard(calls);
      ADD_FAILURE() << "no failure after " << testing::PrintToString(calls.calls);
    } catch (const platform::Failure& failure) {
      EXPECT_EQ(failure.number(), 5u);
    }
  }
}

}  // namespace
