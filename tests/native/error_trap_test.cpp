// The error traps of the registry routines and FU_MkDir catch what is not a platform failure
// too, report it in their own form and give their failure result, where it would otherwise end
// the whole run.
#include <functional>
#include <new>
#include <ostream>
#include <stdexcept>
#include <tuple>

#include <gmock/gmock.h>

#include "common/folders.h"
#include "common/registry.h"
#include "double_fixture.h"
#include "platform/registry.h"

namespace {

using host_double::Call;
using platform::registry::kLocalMachine;

constexpr wchar_t kPath[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tests\\Key";
constexpr char kSubKey[] = "SOFTWARE\\Tests\\Key";
constexpr wchar_t kFolder[] = L"C:\\Tomcat\\webapps\\tessal";

struct Trap {
  const char* routine;
  // Makes the routine's next platform call throw the exception, runs the routine, and says
  // whether it gave its failure result.
  std::function<bool(std::exception_ptr)> failsWith;
  std::wstring prefix;  // the trap's message up to the number
  std::wstring suffix;  // what the message has after the description
  host_double::ShownMessage box;
};

const Trap kTraps[] = {
    {"GetRegistry",
     [](std::exception_ptr thrown) {
       // Thrown while the key is open: the key must still be closed.
       host_double::PutString(kLocalMachine, kSubKey, "Name", "value");
       host_double::Throw(Call::kRegistryQuery, std::move(thrown));
       return common::GetRegistry(kPath, L"Name") == L"ERROR";
     },
     L"ｴﾗｰ発生(共通/GetRegistry) ",
     L"",
     {{}, 16, L"警告"}},
    {"FU_SetRegistry",
     [](std::exception_ptr thrown) {
       host_double::Throw(Call::kRegistrySet, std::move(thrown));
       return !common::FU_SetRegistry(kPath, L"Name", L"value", 1);
     },
     L"ｴﾗｰ発生(共通/FU_SetRegistry) ",
     L"",
     {{}, 16, L"警告"}},
    {"GetRegistryText",
     [](std::exception_ptr thrown) {
       host_double::PutText(kLocalMachine, kSubKey, "Name", L"value");
       host_double::Throw(Call::kRegistryQuery, std::move(thrown));
       return !common::GetRegistryText(kPath, L"Name").has_value();
     },
     L"ｴﾗｰ発生(共通/GetRegistryText) ",
     L"",
     {{}, 16, L"警告"}},
    {"FU_SetRegistryText",
     [](std::exception_ptr thrown) {
       host_double::Throw(Call::kRegistrySet, std::move(thrown));
       return !common::FU_SetRegistryText(kPath, L"Name", {L"value", 1});
     },
     L"ｴﾗｰ発生(共通/FU_SetRegistryText) ",
     L"",
     {{}, 16, L"警告"}},
    {"FU_MkDir",
     [](std::exception_ptr thrown) {
       host_double::Throw(Call::kListing, std::move(thrown));
       return !common::FU_MkDir(kFolder);
     },
     L"ｴﾗｰ発生(共通/FU_MkDir) ",
     std::wstring(L"\r") + kFolder,
     {{}, 4112, std::nullopt}},
};

struct Thrown {
  const char* kind;
  std::exception_ptr exception;
  std::wstring reported;  // number ":" description
};

const Thrown kThrown[] = {
    {"OutOfMemory", std::make_exception_ptr(std::bad_alloc()),
     L"8:このコマンドを実行するのに十分な記憶域がありません。"},
    {"StandardException", std::make_exception_ptr(std::out_of_range("index")),
     L"536870915:内部エラーが発生しました。"},
};

void PrintTo(const Trap& trap, std::ostream* out) {
  *out << trap.routine;
}
void PrintTo(const Thrown& thrown, std::ostream* out) {
  *out << thrown.kind;
}

class ErrorTrapTest : public DoubleTest,
                      public ::testing::WithParamInterface<std::tuple<Trap, Thrown>> {};

TEST_P(ErrorTrapTest, ReportsInItsOwnFormAndGivesItsFailureResult) {
  const auto& [trap, thrown] = GetParam();
  EXPECT_TRUE(trap.failsWith(thrown.exception));
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  const host_double::ShownMessage& shown = host_double::ShownMessages().front();
  EXPECT_EQ(shown.prompt, trap.prefix + thrown.reported + trap.suffix);
  EXPECT_EQ(shown.code, trap.box.code);
  EXPECT_EQ(shown.caption, trap.box.caption);
  EXPECT_EQ(host_double::OpenKeyCount(), 0) << "a key was left open";
}

INSTANTIATE_TEST_SUITE_P(NotAPlatformFailure, ErrorTrapTest,
                         ::testing::Combine(::testing::ValuesIn(kTraps),
                                            ::testing::ValuesIn(kThrown)),
                         [](const auto& param) {
                           return std::string(std::get<0>(param.param).routine) + "_" +
                                  std::get<1>(param.param).kind;
                         });

}  // namespace
