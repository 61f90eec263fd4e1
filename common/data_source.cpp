#include "common/data_source.h"

#include "platform/odbc.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace common {
namespace {

DataSourceResult ConfigDataSource(std::uint16_t request, const std::wstring& attributes) {
  const platform::odbc::ConfigResult config = platform::odbc::ConfigDataSource(
      request, platform::ToAnsi(kAccessDriver), platform::ToAnsi(attributes));
  DataSourceResult result{config.succeeded, {}};
  for (const platform::odbc::InstallerError& error : config.errors) {
    result.errors.push_back({error.code, platform::FromAnsi(error.message)});
  }
  return result;
}

}  // namespace

std::array<Attribute, 4> DatabaseAttributes(std::wstring_view databaseFile) {
  return {{{L"DBQ", std::wstring(databaseFile)},
           {L"MaxBufferSize", L"2048"},
           {L"PageTimeout", L"5"},
           {L"FIL", L"MS Access"}}};
}

std::wstring AttributeList(std::initializer_list<std::wstring_view> pairs) {
  std::wstring list;
  for (const std::wstring_view pair : pairs) {
    list += pair;
    list += L'\0';
  }
  return list;
}

// The box keeps its one fixed text: the installer's reasons are for the log, where an
// administrator of many machines reads them.
DataSourceResult AddDataSource(std::wstring_view name, std::wstring_view databaseFile) {
  const std::array<Attribute, 4> database = DatabaseAttributes(databaseFile);
  const auto pair = [](const Attribute& attribute) {
    return std::wstring(attribute.keyword) + L"=" + attribute.value;
  };
  const std::wstring attributes =
      AttributeList({L"DSN=" + std::wstring(name), pair(database[0]), pair(database[1]),
                     pair(database[2]), pair(database[3])});
  DataSourceResult result = ConfigDataSource(platform::odbc::kAddSystemDsn, attributes);
  if (!result.done) {
    platform::ShowMessage(L"データソース" + std::wstring(name) + L"が登録されませんでした。",
                          platform::box::kCritical);
  }
  return result;
}

DataSourceResult RemoveDataSource(std::wstring_view name) {
  return ConfigDataSource(platform::odbc::kRemoveSystemDsn,
                          AttributeList({L"DSN=" + std::wstring(name)}));
}

}  // namespace common
