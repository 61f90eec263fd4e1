#include "setup/verify.h"

#include <memory>
#include <span>

#include "common/data_source.h"
#include "common/registry.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "setup/configuration_rewrite.h"
#include "setup/deployments.h"
#include "setup/detection_marker.h"
#include "setup/environment_step.h"
#include "setup/products.h"
#include "setup/run.h"
#include "setup/steps.h"

namespace setup {
namespace {

namespace registry = platform::registry;
using Kind = Difference::Kind;

constexpr std::wstring_view kDataSources =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";
constexpr std::wstring_view kDataSourceKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\TESSAL";
constexpr std::wstring_view kAccessDriverKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\Microsoft Access Driver (*.mdb)";
// More lines would make a box taller than the screen.
constexpr std::size_t kLinesShown = 10;
constexpr std::size_t kLongestValueShown = 60;

// A text value, or nothing where there is none; a read that fails is a failure of the check.
std::optional<common::RegistryText> ValueThere(std::wstring_view key, std::wstring_view name) {
  common::RegistryRead read = common::ReadRegistryText(key, name);
  if (read.result == platform::ErrorCode::kFileNotFound) {
    return std::nullopt;
  }
  if (read.result != platform::ErrorCode::kSuccess) {
    throw platform::SystemFailure(read.result, std::wstring(key) + L"\\" + std::wstring(name));
  }
  return std::move(read.value);
}

class Comparison {
 public:
  // A value that must be the text a run writes, of the type it writes.
  void Value(std::wstring_view what, std::wstring_view key, std::wstring_view name,
             std::wstring_view expected, std::uint32_t type = registry::kTypeString) {
    const std::optional<common::RegistryText> found = ValueThere(key, name);
    if (!found || found->type != type || found->text != expected) {
      Add({Kind::kValue, std::wstring(what), std::wstring(expected),
           found ? std::optional(found->text) : std::nullopt});
    }
  }

  // A file that must hold the bytes expected.
  void File(const std::wstring& path, std::string_view expected) {
    const std::optional<std::string> found = BytesThere(path);
    if (!found) {
      Add({Kind::kMissing, path, {}, {}});
    } else if (*found != expected) {
      Add({Kind::kContent, path, {}, {}});
    }
  }

  void Add(Difference difference) { differences_.push_back(std::move(difference)); }
  std::vector<Difference> Take() { return std::move(differences_); }

  // The bytes of a file, or nothing where there is none. One pass, as a copy reads it.
  static std::optional<std::string> BytesThere(const std::wstring& path) {
    std::unique_ptr<platform::ByteSource> file;
    try {
      file = platform::OpenFileBytes(path);
    } catch (const platform::Failure& failure) {
      if (failure.code() == platform::ErrorCode::kFileNotFound ||
          failure.code() == platform::ErrorCode::kPathNotFound) {
        return std::nullopt;
      }
      throw;
    }
    std::string bytes;
    std::string piece(std::size_t{64} * 1024, '\0');
    for (std::size_t read = 0; (read = file->Read(piece)) != 0;) {
      bytes.append(piece, 0, read);
    }
    return bytes;
  }

 private:
  std::vector<Difference> differences_;
};

std::optional<std::wstring> ProductThere(const Product& product, RunLog& log) {
  ProductFolder found{ProductFolder::State::kKeyMissing, {}};
  if (const auto text = ValueThere(product.key, product.valueName)) {
    found = ProductFolderNamed(text->text);
  }
  log.Product(product, found);
  if (found.state != ProductFolder::State::kFound) {
    return std::nullopt;
  }
  return std::move(found.folder);
}

void CompareEnvironment(const RunValues& run, Comparison& compare) {
  compare.Value(L"CATALINA_HOME", kEnvironmentKey, L"CATALINA_HOME", run.tomcatHome);
  compare.Value(L"CLASSPATH", kEnvironmentKey, L"CLASSPATH", ClassPath(run.tomcatHome));
  compare.Value(L"JAVA_HOME", kEnvironmentKey, L"JAVA_HOME", run.javaHome);
  // Held as the run looks for it: anywhere, in any case.
  const std::wstring javaBin = run.javaHome + L"\\bin";
  const std::optional<common::RegistryText> path = ValueThere(kEnvironmentKey, L"Path");
  if (!path || !platform::ContainsIgnoringCase(path->text, javaBin)) {
    compare.Add({Kind::kValue, L"Path", javaBin, path ? std::optional(path->text) : std::nullopt});
  }
}

// Whether two paths name the same file, as Windows compares file names.
bool SamePath(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && platform::ContainsIgnoringCase(a, b);
}

// Each file a run copies with the distribution's bytes; each rewritten file as the rewrite makes
// it of the distribution's, and its backup as the distribution's. Each file is read once.
void CompareFiles(const RunValues& run, Comparison& compare) {
  const std::array<ConfigurationFile, 3> rewrites = ConfigurationFiles(run);
  const std::wstring setupFolder = platform::SetupFolder();
  for (const Deployment& row : kDeployments) {
    const std::wstring source = setupFolder + std::wstring(row.source) + L"\\";
    const std::wstring destination = BaseFolder(run, row.base) + std::wstring(row.destination);
    platform::DirectoryListing listing(source + L"*.*", platform::ListingAttributes::kPlainFiles);
    for (std::wstring name = listing.Next(); !name.empty(); name = listing.Next()) {
      const std::optional<std::string> shipped = Comparison::BytesThere(source + name);
      if (!shipped) {
        throw platform::SystemFailure(platform::ErrorCode::kFileNotFound, source + name);
      }
      std::wstring deployed = destination;
      deployed += L'\\';
      deployed += name;
      const ConfigurationFile* rewrite = nullptr;
      for (const ConfigurationFile& candidate : rewrites) {
        rewrite = SamePath(candidate.file, deployed) ? &candidate : rewrite;
      }
      if (rewrite == nullptr) {
        compare.File(deployed, *shipped);
        continue;
      }
      compare.File(deployed, RewrittenBytes(*shipped, *rewrite));
      compare.File(rewrite->backup, *shipped);
    }
  }
}

// As the ODBC installer keeps a system data source, in the program's registry view: listed with
// its driver's name, and a key of its own with the driver's file and the run's attributes.
void CompareDataSource(const RunValues& run, Comparison& compare) {
  const std::wstring name(kDataSourceName);
  const std::optional<common::RegistryText> listed = ValueThere(kDataSources, name);
  const std::optional<common::RegistryText> driver = ValueThere(kDataSourceKey, L"Driver");
  if (!listed && !driver) {
    compare.Add({Kind::kMissing, name, {}, {}});
    return;
  }
  compare.Value(name, kDataSources, name, common::kAccessDriver);
  // The driver's file, as the installer registered the driver; none where no driver is.
  const std::optional<common::RegistryText> installed = ValueThere(kAccessDriverKey, L"Driver");
  compare.Value(name + L" Driver", kDataSourceKey, L"Driver",
                installed ? installed->text : std::wstring());
  for (const common::Attribute& attribute : common::DatabaseAttributes(DatabaseFile(run))) {
    compare.Value(name + L" " + std::wstring(attribute.keyword), kDataSourceKey, attribute.keyword,
                  attribute.value);
  }
}

std::wstring Shown(std::wstring_view value) {
  if (value.size() <= kLongestValueShown) {
    return std::wstring(value);
  }
  return std::wstring(value.substr(0, kLongestValueShown)) + L"…";
}

std::wstring Line(const Difference& difference) {
  switch (difference.kind) {
    case Kind::kValue:
      return difference.what + L"：期待 " + Shown(difference.expected) + L" ／ 現在 " +
             (difference.found ? Shown(*difference.found) : std::wstring(L"なし"));
    case Kind::kMissing:
      return difference.what + L"：ありません";
    case Kind::kContent:
      return difference.what + L"：内容が異なります";
  }
  return difference.what;
}

}  // namespace

std::vector<Difference> CompareMachine(RunLog& log, std::wstring_view version) {
  Comparison compare;
  const std::optional<std::wstring> javaHome = ProductThere(kJdk, log);
  const std::optional<std::wstring> tomcatHome = ProductThere(kTomcat, log);
  for (const auto& [product, home] : {std::pair{&kJdk, &javaHome}, {&kTomcat, &tomcatHome}}) {
    if (!*home) {
      compare.Add({Kind::kMissing, std::wstring(product->name), {}, {}});
    }
  }
  CheckDistribution();
  if (javaHome && tomcatHome) {
    const RunValues run{*javaHome, *tomcatHome, WithSlashes(*tomcatHome)};
    CompareEnvironment(run, compare);
    CompareFiles(run, compare);
    CompareDataSource(run, compare);
  }
  compare.Value(std::wstring(kMarkerKey) + L"\\" + std::wstring(kMarkerValue), kMarkerKey,
                kMarkerValue, version);
  return compare.Take();
}

Outcome Verify(RunLog& log, std::wstring_view version) {
  if (AnotherCopyIsRunning()) {
    return Outcome::kAlreadyRunning;
  }
  const std::vector<Difference> differences = CompareMachine(log, version);
  for (const Difference& difference : differences) {
    log.Differs(difference);
  }
  if (differences.empty()) {
    platform::ShowMessage(L"このコンピューターのセットアップは完了しています。",
                          platform::box::kInformation);
    return Outcome::kMatches;
  }
  platform::ShowMessage(DifferencesMessage(differences), platform::box::kWarning);
  return Outcome::kDiffers;
}

std::wstring DifferencesMessage(const std::vector<Difference>& differences) {
  std::wstring message =
      L"セットアップと異なる点が" + std::to_wstring(differences.size()) + L"件あります。";
  for (std::size_t i = 0; i < differences.size() && i < kLinesShown; ++i) {
    message += L"\r" + Line(differences[i]);
  }
  if (differences.size() > kLinesShown) {
    message += L"\r…";
  }
  return message;
}

}  // namespace setup
