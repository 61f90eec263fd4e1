// Where each packaged folder of the distribution goes, which of its files the run rewrites, and
// the application's class path among them: what a run copies and writes, what a check of the
// machine compares, and what the tests' model of a run reads (it parses this file).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "setup/run_values.h"

namespace setup {

enum class Base { kJavaHome, kTomcatHome };

struct Deployment {
  std::wstring_view source;  // below the setup folder
  Base base;
  std::wstring_view destination;  // below the base folder
};

// Folders are made one level at a time, so every destination's parent must be a product folder
// or the destination of an earlier row: the order of the rows matters.
inline constexpr std::array<Deployment, 12> kDeployments{{
    {L"\\J2SE\\bin", Base::kJavaHome, L"\\bin"},
    {L"\\J2SE\\jre\\lib", Base::kJavaHome, L"\\jre\\lib"},
    {L"\\TOMCAT\\conf", Base::kTomcatHome, L"\\conf"},
    {L"\\TOMCAT\\webapps\\tessal", Base::kTomcatHome, L"\\webapps\\tessal"},
    {L"\\TOMCAT\\webapps\\tessal\\images", Base::kTomcatHome, L"\\webapps\\tessal\\images"},
    {L"\\TOMCAT\\webapps\\tessal\\logs", Base::kTomcatHome, L"\\webapps\\tessal\\logs"},
    {L"\\TOMCAT\\webapps\\tessal\\temp", Base::kTomcatHome, L"\\webapps\\tessal\\temp"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF", Base::kTomcatHome, L"\\webapps\\tessal\\WEB-INF"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes", Base::kTomcatHome,
     L"\\webapps\\tessal\\WEB-INF\\classes"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes\\tessalLib", Base::kTomcatHome,
     L"\\webapps\\tessal\\WEB-INF\\classes\\tessalLib"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\lib", Base::kTomcatHome,
     L"\\webapps\\tessal\\WEB-INF\\lib"},
    {L"\\TOMCAT\\webapps\\tessal\\xls", Base::kTomcatHome, L"\\webapps\\tessal\\xls"},
}};

// The files that the rewrite needs after the copies, below the setup folder.
inline constexpr std::array<std::wstring_view, 3> kConfigurationFiles{
    L"\\J2SE\\jre\\lib\\logging.properties",
    L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\web.xml",
    L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes\\poolman.xml",
};

// The application's class path below the Tomcat folder, entry by entry: the last without a ";".
inline constexpr std::array<std::wstring_view, 6> kClassPathSuffixes{
    L"\\common\\lib\\servlet.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\jcom.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\poolman.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\xercesImpl.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\xmlParserAPIs.jar;",
    L"\\webapps\\tessal\\WEB-INF\\classes",
};

[[nodiscard]] inline const std::wstring& BaseFolder(const RunValues& run, Base base) {
  return base == Base::kJavaHome ? run.javaHome : run.tomcatHome;
}

}  // namespace setup
