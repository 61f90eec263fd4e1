#include "common/data_source.h"

#include "platform/odbc.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace common {
namespace {

bool ConfigDataSource(std::uint16_t request, const std::wstring& attributes) {
  return platform::odbc::ConfigDataSource(request, platform::ToAnsi(kAccessDriver),
                                          platform::ToAnsi(attributes));
}

}  // namespace

std::wstring AttributeList(std::initializer_list<std::wstring_view> pairs) {
  std::wstring list;
  for (const std::wstring_view pair : pairs) {
    list += pair;
    list += L'\0';
  }
  return list;
}

bool AddDataSource(std::wstring_view name, std::wstring_view databaseFile) {
  const std::wstring dsn = L"DSN=" + std::wstring(name);
  const std::wstring dbq = L"DBQ=" + std::wstring(databaseFile);
  const std::wstring attributes =
      AttributeList({dsn, dbq, L"MaxBufferSize=2048", L"PageTimeout=5", L"FIL=MS Access"});
  if (!ConfigDataSource(platform::odbc::kAddSystemDsn, attributes)) {
    platform::ShowMessage(L"データソース" + std::wstring(name) + L"が登録されませんでした。",
                          platform::box::kCritical);
    return false;
  }
  return true;
}

bool RemoveDataSource(std::wstring_view name) {
  return ConfigDataSource(platform::odbc::kRemoveSystemDsn,
                          AttributeList({L"DSN=" + std::wstring(name)}));
}

}  // namespace common
