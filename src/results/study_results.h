#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/environment.h"

struct TConfig;
class TDirectoryHandles;
class TFiles;
class TLeftOutChunks;
class TPairPageMaker;
class TPreProcDoc;
class TReports;
class TResults;

// The tables and index page of a results folder, claimed ahead of their
// writing so that they can be written while the study saves other outputs.
struct TResultsTables {
  // Whether the results folder is a folder; nothing is claimed otherwise.
  bool folder = false;
  // pairs.csv (when the study compared), documents.csv and index.html (when
  // it compared), in that order.
  std::vector<TClaimedOutput> outputs;
};

// The results folder of a finished study: pairs.csv, documents.csv,
// index.html and pairs/<rank>.html for every listed pair (only documents.csv
// in a study that compares nothing). The files are outputs of the study like
// any other: claimed, written whole and never over an input.
class TStudyResults {
 public:
  // Ranks the study's pairs: files and reports as the comparison left them
  // (reports in comparison order). leftOut, when given, holds the chunks
  // removed from the vocabularies: the pair pages mark none of them as
  // shared and show the template ones in grey. The study's objects must
  // outlive this.
  TStudyResults(const TConfig& config, const TFiles& files, const TReports& reports,
                const TLeftOutChunks* leftOut = nullptr);
  ~TStudyResults();
  TStudyResults(const TStudyResults&) = delete;
  TStudyResults& operator=(const TStudyResults&) = delete;

  // Makes documents.csv and the index page, which save() then only writes;
  // pairs.csv is made a block at a time as it is written.
  // It reads the study's objects and nothing else, so it may run while they
  // are saved on other threads.
  void prepare();

  // Claims the names of the tables and the index page in config's results
  // folder, without an entry in the log.
  static TResultsTables claimTables(const TConfig& config, TEnvironment& env);
  // Writes the claimed tables and index page once prepared, through handles
  // (the calling thread's own), and lets go of their texts. Adds nothing to
  // the log, so it may run while other outputs are saved.
  void writeTables(const TEnvironment& env, TResultsTables& tables, TDirectoryHandles& handles);

  // Makes the first pair pages ahead of save(), up to a few megabytes of
  // them; save() then only writes them. It reads the study's objects and the
  // documents' files, and nothing else, so it may run while other outputs are
  // written.
  void preparePairPages(const TPreProcDoc& preProc);

  // Writes the folder's files through env, the pair pages from the documents'
  // files as stored, traced through preProc's rules; tables, when given, are
  // the tables and index page claimed and written already, which are then
  // only logged. Returns false when any could not be written; each such path
  // gets an error entry (error_results_not_saved), as does a results folder
  // that is no folder.
  bool save(TEnvironment& env, const TPreProcDoc& preProc, TResultsTables* tables = nullptr);

  // What the console shows afterwards: the path of index.html and the five
  // most similar pairs, a line each.
  std::string summary() const;

 private:
  bool savePairPages(TEnvironment& env, const TPreProcDoc& preProc);

  const TConfig& config_;
  const TFiles& files_;
  const TLeftOutChunks* leftOut_;
  std::unique_ptr<TResults> results_;
  bool prepared_ = false;
  std::string documentsCsv_;
  std::string indexPage_;
  std::unique_ptr<TPairPageMaker> pageMaker_;
  std::vector<std::string> preparedPages_;
};
