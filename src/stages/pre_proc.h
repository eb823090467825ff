#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stages/word_lists.h"

struct TConfig;
class TDoc;
class TFiles;
class TUnicodeText;
struct TUnicodeSteps;

// The pre-processing stage: rewrites every document's text before chunks are
// extracted from it.
class TPreProc {
 public:
  virtual ~TPreProc() = default;
  virtual void configure(const TConfig& config) = 0;
  // Returns the number of documents in the set afterwards.
  virtual std::int32_t run(TFiles& files) = 0;
  // Rewrites the text of one document as run does for each of the set's.
  virtual void processDocument(TDoc& doc) const = 0;
};

// Pre-processing by the language file's word lists. Each document's text is
// framed by one blank on each side, then rewritten by the steps whose switch
// is on, always in the order punctuation, numbers, lower case, stop words.
// Every step works on single bytes in the "C" locale.
class TPreProcDoc : public TPreProc {
 public:
  TPreProcDoc();
  ~TPreProcDoc() override;
  TPreProcDoc(TPreProcDoc&&) noexcept;
  TPreProcDoc& operator=(TPreProcDoc&&) noexcept;

  // Copies the four switches and loads the language file (a missing file
  // leaves the lists empty).
  void configure(const TConfig& config) override;
  std::int32_t run(TFiles& files) override;
  void processDocument(TDoc& doc) const override;

  // Each step returns false, leaving text alone, when text is empty.
  //
  // Every occurrence of each punctuation entry, in list order, is erased with
  // the blank after it when it stands between two blanks, and otherwise
  // replaced by one blank. The search goes on one byte after the start of the
  // occurrence.
  bool stripPunctuation(std::string& text) const;
  // Erases every run of digits that begins a token (at the start of the text
  // or after a blank, line feed or tab).
  static bool stripNumbers(std::string& text);
  // Lowers A to Z; every other byte, NUL included, is kept.
  static bool lowerText(std::string& text);
  // Replaces every occurrence of blank + stop word + blank, in list order, by
  // one blank; the search goes on after that blank.
  bool stripStopWords(std::string& text) const;

  TWordLists& wordLists() { return wordLists_; }
  const TWordLists& wordLists() const { return wordLists_; }
  // The Unicode rules this stage applies (unicodeSteps().stemWords and so
  // on), for replaying them elsewhere.
  TUnicodeSteps unicodeSteps() const;
  bool unicodeText() const { return unicodeText_; }

 private:
  // processDocument with the given Unicode rules (null without them),
  // appending the message keys of its progress entries to logged instead of
  // adding them.
  void rewriteDocument(TDoc& doc, TUnicodeText* unicode, std::vector<const char*>& logged) const;

  TWordLists wordLists_;
  // The Unicode rules, when the study asks for them.
  std::unique_ptr<TUnicodeText> unicode_;
  bool unicodeText_ = false;
  bool foldLookalikes_ = false;
  bool stemWords_ = false;
  std::string stemmerLanguage_;
  bool removePontuation_ = false;
  bool removeStopWords_ = false;
  bool removeNumbers_ = false;
  bool lowerCase_ = false;
  // Threads that run processDocument on documents side by side.
  std::int32_t threads_ = 1;
};
