#include "control/quick_study.h"

#include <filesystem>
#include <system_error>

#include "base/file_identity.h"
#include "base/folder_listing.h"
#include "base/text_file.h"
#include "settings/param_file.h"

namespace fs = std::filesystem;

namespace {

// Whether path lies in the folder whose identity is outputs (an earlier
// quick study's outputs inside the documents' folder are no documents).
bool isUnder(const std::string& path, const TFileIdentity& outputs) {
  std::error_code error;
  for (fs::path p = fs::path(path).parent_path(); !p.empty(); p = p.parent_path()) {
    TFileIdentity identity;
    if (identityOfPath(p.string(), identity) && identity == outputs) return true;
    if (p == p.parent_path()) break;
  }
  return false;
}

}  // namespace

bool prepareQuickStudy(const std::string& folder, const std::string& output,
                       const std::string& language, TParamFile& map, std::string& error) {
  const std::string results = joinPath(output, "results");
  const std::string vocabularies = joinPath(output, "vocabularies");
  const std::string log = joinPath(output, "log");
  for (const std::string& made : {results, vocabularies, log}) {
    std::error_code failed;
    fs::create_directories(made, failed);
    if (failed) {
      error = "cannot make the folder " + made + ": " + failed.message();
      return false;
    }
  }
  map.set("removePontuation", "1");
  map.set("removeNumbers", "1");
  map.set("lowerCase", "1");
  map.set("gramsSize", "3");
  map.set("collusionMode", "3");
  map.set("isToshowLog", "1");
  map.set("isToshowWarning", "1");
  map.set("dirVocabularies", vocabularies);
  map.set("dirResults", results);
  map.set("saveLogIn", log);
  map.set("pairFiles", "0");
  if (!language.empty()) {
    map.set("unicodeText", "1");
    map.set("removeStopWords", "1");
  }
  TFileIdentity outputs;
  const bool outputsKnown = identityOfPath(output, outputs);
  std::size_t n = 0;
  for (const std::string& path : listFolder(folder, "*", true).files) {
    if (outputsKnown && isUnder(path, outputs)) continue;
    map.set("file" + std::to_string(++n), path);
  }
  return true;
}
