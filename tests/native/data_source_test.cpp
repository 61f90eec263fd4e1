#include "common/data_source.h"

#include <gmock/gmock.h>

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

TEST_F(DoubleTest, AFailedAddIsShownAndAFailedRemoveIsNot) {
  host_double::ScriptOdbcResults({false, false});
  common::RemoveDataSource(L"TESSAL");
  common::AddDataSource(L"TESSAL", L"C:\\db.mdb");
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  EXPECT_EQ(host_double::ShownMessages()[0].prompt, L"データソースTESSALが登録されませんでした。");
  EXPECT_EQ(host_double::ShownMessages()[0].code, 16);
  EXPECT_EQ(host_double::ShownMessages()[0].caption, std::nullopt);
}

TEST_F(DoubleTest, AttributesCrossInTheCodePage) {
  common::AddDataSource(L"TESSAL", L"C:\\アプリ\\TESSAL.mdb");
  EXPECT_EQ(host_double::OdbcCalls()[0].attributes.substr(11, 20),
            "DBQ=C:\\\x83\x41\x83\x76\x83\x8a\\TESSAL");
}

}  // namespace
