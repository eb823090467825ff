#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct TConfig;
class TCompare;
class TEnvironment;
class TExtract;
class TFiles;
class TLeftOutChunks;
class TPreProc;
class TReports;
class TStudyResults;
class TLog;
class TParamFile;

// Runs one study: reads the configuration, loads the documents, pre-processes
// them, extracts their chunks, compares them and saves the vocabularies and
// reports, then writes the run log.
class TCollusion {
 public:
  TCollusion();
  ~TCollusion();
  TCollusion(const TCollusion&) = delete;
  TCollusion& operator=(const TCollusion&) = delete;

  // Runs the study configured in the file at path. log belongs to the caller
  // and must outlive the call. Returns true when every step succeeded. Throws
  // VrxException when the configuration or message file cannot be read.
  bool run(const std::string& path, TLog& log);
  // Runs the study that map (entries usable entries, read from configPath
  // when not empty) configures. languageText, when not empty, is the language
  // file's text, built into the program.
  bool runStudy(const TParamFile& map, std::int32_t entries, TLog& log,
                const std::string& configPath, std::string_view languageText);

  bool createObjects();
  bool configureObjects();
  bool process();
  bool buildVocabularies();
  bool compareVocabularies();
  bool saveStudy();

 private:
  bool runSteps(const TParamFile& map);
  // Loads the templates listed under templateFile1, templateFile2, ...; one
  // that cannot be read is left out with its warning.
  void loadTemplates(const TParamFile& map);
  // Removes the chunks of the templates from every document's vocabulary,
  // then those that more than maxChunkDocuments documents hold, logging how
  // many each removal took.
  void leaveOutChunks();
  // Tells on standard error, one line each, why the study failed or what it
  // lost: documents not read, folders missing, outputs renamed.
  void tellCauses(const TConfig& config, bool succeeded) const;
  // What is wrong with folder ("the folder ... does not exist"), or empty.
  static std::string folderTrouble(const std::string& folder);

  // Destroys the document set, the stages and the report set.
  void releaseObjects();
  // The folders the study writes into.
  static std::vector<std::string> outputFolders(const TConfig& config);

  // The study's environment, published through `environment` while it runs.
  std::unique_ptr<TEnvironment> environment_;
  std::unique_ptr<TFiles> files_;
  // The texts every author was given; their chunks share files_' ids.
  std::unique_ptr<TFiles> templates_;
  // The chunks removed from the documents' vocabularies.
  std::unique_ptr<TLeftOutChunks> leftOut_;
  std::unique_ptr<TPreProc> preProc_;
  std::unique_ptr<TExtract> extract_;
  std::unique_ptr<TCompare> compare_;
  std::unique_ptr<TReports> reports_;
  // The results folder's contents, when the settings ask for one.
  std::unique_ptr<TStudyResults> results_;
  // How many documents the configuration listed, and how many were read.
  std::int32_t documentsListed_ = 0;
  std::int32_t documentsLoaded_ = 0;
};
