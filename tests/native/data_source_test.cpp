#include "common/data_source.h"

#include <gmock/gmock.h>

#include <vector>

#include "double_fixture.h"
#include "setup/steps.h"

namespace {

using namespace std::string_literals;

TEST_F(DoubleTest, TheRunReplacesTheDataSourceWithExactlyFiveAttributes) {
  setup::RunLog log;
  setup::DataSourceStep({L"C:\\j2sdk1.4.2", L"C:\\Tomcat", L"C:/Tomcat"}, log);
  const auto& calls = host_double::OdbcCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].request, 6);
  EXPECT_EQ(calls[0].driver, "Microsoft Access Driver (*.mdb)");
  EXPECT_EQ(calls[0].attributes, "DSN=TESSAL\0\0"s);
  EXPECT_EQ(calls[1].request, 4);
  EXPECT_EQ(calls[1].driver, "Microsoft Access Driver (*.mdb)");
  EXPECT_EQ(calls[1].attributes,
            "DSN=TESSAL\0DBQ=C:\\Tomcat\\webapps\\tessal\\TESSAL.mdb\0MaxBufferSize=2048\0"
            "PageTimeout=5\0FIL=MS Access\0\0"s);
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

// The installer's reasons come back for the log, its messages read in the code page; the box keeps
// its fixed text.
TEST_F(DoubleTest, AFailedAddIsShownAndAFailedRemoveIsNotAndBothSayWhy) {
  host_double::Fail(host_double::Call::kConfigDataSource, host_double::kOdbcRequestFailed);
  host_double::Fail(host_double::Call::kConfigDataSource, host_double::kOdbcRequestFailed,
                    host_double::Nth(2));
  host_double::ScriptInstallerErrors(
      {{6, "Component not found"}, {1, "\x83\x68\x83\x89\x83\x43\x83\x6f"}});
  const std::vector<common::InstallerError> reasons{{6, L"Component not found"}, {1, L"ドライバ"}};
  EXPECT_EQ(common::RemoveDataSource(L"TESSAL").errors, reasons);
  const common::DataSourceResult added = common::AddDataSource(L"TESSAL", L"C:\\db.mdb");
  EXPECT_FALSE(added.done);
  EXPECT_EQ(added.errors, reasons);
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  EXPECT_EQ(host_double::ShownMessages()[0].prompt, L"データソースTESSALが登録されませんでした。");
  EXPECT_EQ(host_double::ShownMessages()[0].code, 16);
  EXPECT_EQ(host_double::ShownMessages()[0].caption, std::nullopt);
}

TEST_F(DoubleTest, AttributesCrossInTheCodePage) {
  EXPECT_TRUE(common::AddDataSource(L"TESSAL", L"C:\\アプリ\\TESSAL.mdb").done);
  EXPECT_EQ(host_double::OdbcCalls()[0].attributes.substr(11, 20),
            "DBQ=C:\\\x83\x41\x83\x76\x83\x8a\\TESSAL");
}

}  // namespace
