#include "documents/files.h"

#include "base/file_identity.h"
#include "base/folder_listing.h"
#include "base/text_file.h"
#include "base/work_pool.h"
#include "settings/environment.h"
#include "settings/param_file.h"

TFiles::TFiles()
    : ownDictionary_(std::make_unique<TChunkDictionary>()), dictionary_(ownDictionary_.get()) {}

TFiles::TFiles(TChunkDictionary& dictionary) : dictionary_(&dictionary) {}

TDoc* TFiles::get(std::int32_t index) const {
  if (index < 0 || index >= count()) return nullptr;
  return docs_[static_cast<std::size_t>(index)].get();
}

std::int32_t TFiles::add(const std::string& fileName, const std::string& directory,
                         bool archive) {
  if (fileName.empty() || directory.empty()) return -1;
  docs_.push_back(std::make_unique<TDoc>(fileName, directory, dictionary_));
  docs_.back()->setArchive(archive);
  return 0;
}

std::int32_t TFiles::addFromConfig(const TParamFile& map) {
  if (map.count() <= 0) return -1;
  const std::int32_t study = addListed(map, "file") + addFromFolder(map);
  return study + addListed(map, "archiveFile", true) + addFromFolder(map, "dirArchive", true);
}

std::int32_t TFiles::addListed(const TParamFile& map, std::string_view key, bool archive) {
  std::int32_t added = 0;
  for (std::int64_t n = 1;; ++n) {
    const std::string value = map.get(std::string(key) + std::to_string(n));
    if (value.empty()) break;
    const std::size_t split = value.find_last_of("/\\");
    if (split != std::string::npos &&
        add(value.substr(split + 1), value.substr(0, split), archive) == 0) {
      ++added;
    } else {
      // Also a value without any separator: skipping it silently would hide
      // a mistyped list entry.
      logWarning("warning_file_not_added", value);
    }
  }
  return added;
}

std::int32_t TFiles::addFromFolder(const TParamFile& map, std::string_view folderKey,
                                   bool archive) {
  const std::string folder = map.get(folderKey);
  if (folder.empty()) return 0;
  const TFolderListing listing =
      listFolder(folder, map.get("documentPattern"), map.get("documentsRecursive") == "1");
  for (const std::string& unread : listing.unreadable) logWarning("warning_folder_not_read", unread);
  // A file the study has already, under this spelling or another, joins once.
  TFileIdentities present;
  for (const auto& doc : docs_) present.addPath(doc->fullPath());
  std::int32_t added = 0;
  for (const std::string& path : listing.files) {
    TFileIdentity identity;
    const bool known = identityOfPath(path, identity);
    if (known && present.contains(identity)) {
      logWarning("warning_document_repeated", path);
      continue;
    }
    const std::size_t split = path.rfind(kPathSeparator);
    if (split == std::string::npos || add(path.substr(split + 1), path.substr(0, split), archive) != 0) {
      logWarning("warning_file_not_added", path);
      continue;
    }
    if (known) present.add(identity);
    ++added;
  }
  return added;
}

std::int32_t TFiles::loadTexts() {
  if (!docs_.empty()) {
    // With threads, the files are read on the workers first; the warnings
    // and removals then follow in document order, as they do one by one.
    const std::size_t workers =
        environment && environment->config
            ? static_cast<std::size_t>(environment->config->threadCount())
            : 1;
    std::vector<TDoc::TRead> outcomes;
    if (workers > 1 && docs_.size() > 1) {
      outcomes.resize(docs_.size());
      runOnWorkers(workers, docs_.size(),
                   [&](std::size_t, std::size_t i) { outcomes[i] = docs_[i]->readText(); });
    }
    for (std::int32_t i = 0, k = 0; i < count(); ++k) {
      TDoc* doc = get(i);
      const TDoc::TRead outcome =
          outcomes.empty() ? doc->readText() : outcomes[static_cast<std::size_t>(k)];
      doc->warnUnread(outcome);
      if (outcome == TDoc::TRead::kRead) {
        ++i;
        continue;
      }
      const std::string path = doc->fullPath();
      remove(i);
      logProgress("log_file_removed_from_process", path, false);
    }
    if (!docs_.empty()) {
      logProgress("log_files_loaded", "", true);
      return count();
    }
  }
  logWarning("error_files_not_loaded", "");
  return 0;
}

std::int32_t TFiles::loadReadableTexts() {
  for (std::int32_t i = 0; i < count();) {
    if (get(i)->loadText()) {
      ++i;
    } else {
      remove(i);
    }
  }
  return count();
}

bool TFiles::remove(std::int32_t index) {
  if (index < 0 || index >= count()) return false;
  docs_.erase(docs_.begin() + index);
  return true;
}

bool TFiles::allExist() const {
  for (const auto& doc : docs_) {
    if (!doc->exists()) return false;
  }
  return true;
}

std::int32_t TFiles::saveVocabularies() {
  if (!environment || environment->config->dirVocabularies.empty()) return -1;
  const std::string& directory = environment->config->dirVocabularies;
  const auto workers = static_cast<std::size_t>(environment->config->threadCount());
  if (workers > 1 && docs_.size() > 1) return saveVocabulariesOnThreads(directory, workers);
  std::int32_t saved = 0;
  TVocabularyScratch scratch;
  std::int64_t done = 0;
  for (const auto& doc : docs_) {
    showProgress("Saving vocabularies", ++done, count());
    if (doc->saveVocabulary(directory, *environment, scratch)) {
      ++saved;
    } else {
      environment->warning("warning_vocabulary_not_saved", doc->fullPath());
    }
  }
  return saved;
}

std::int32_t TFiles::saveVocabulariesOnThreads(const std::string& directory, std::size_t workers) {
  // Names are claimed and the log written on this thread, in document order;
  // the files are formatted and written on the workers.
  std::vector<TClaimedOutput> outputs(docs_.size());
  for (std::size_t i = 0; i < docs_.size(); ++i) {
    outputs[i].directory = directory;
    outputs[i].name = std::string(docs_[i]->stem()) + ".voc";
    outputs[i].extension = ".voc";
    environment->claimOutput(outputs[i]);
  }
  std::vector<TVocabularyScratch> scratches(workers);
  std::vector<TDirectoryHandles> handles(workers);
  runOnWorkers(workers, docs_.size(), [&](std::size_t worker, std::size_t i) {
    TVocabularyScratch& scratch = scratches[worker];
    const TVocabulary& vocabulary = *docs_[i]->vocabulary();
    environment->writeClaimed(
        outputs[i], [&](int fd) { return vocabulary.writeFileText(fd, scratch); },
        handles[worker]);
  });
  showProgress("Saving vocabularies", count(), count());
  std::int32_t saved = 0;
  for (std::size_t i = 0; i < docs_.size(); ++i) {
    if (environment->finishOutput(outputs[i])) {
      ++saved;
    } else {
      environment->warning("warning_vocabulary_not_saved", docs_[i]->fullPath());
    }
  }
  return saved;
}
