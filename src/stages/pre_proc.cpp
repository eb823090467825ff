#include "stages/pre_proc.h"

#include <string_view>

#include "control/config.h"
#include "control/environment.h"
#include "documents/files.h"

void TPreProcDoc::configure(const TConfig& config) {
  removePontuation_ = config.removePontuation;
  removeStopWords_ = config.removeStopWords;
  removeNumbers_ = config.removeNumbers;
  lowerCase_ = config.lowerCase;
  wordLists_.load(config.languageFileName);
}

std::int32_t TPreProcDoc::run(TFiles& files) {
  if (environment) environment->progress("log_start_preProc", "", false);
  const std::int32_t n = files.count();
  for (std::int32_t i = 0; i < n; ++i) {
    TDoc* doc = files.get(i);
    std::string working;
    working.reserve(doc->text().size() + 2);
    working += ' ';
    working += doc->text();
    working += ' ';

    struct Step {
      bool on;
      bool (*apply)(const TPreProcDoc&, std::string&);
      const char* key;
    };
    const Step steps[] = {
        {removePontuation_, [](const TPreProcDoc& p, std::string& t) { return p.stripPunctuation(t); },
         "log_punctuation_removed"},
        {removeNumbers_, [](const TPreProcDoc&, std::string& t) { return stripNumbers(t); },
         "log_numbers_removed"},
        {lowerCase_, [](const TPreProcDoc&, std::string& t) { return lowerText(t); },
         "log_lowercase_executed"},
        {removeStopWords_, [](const TPreProcDoc& p, std::string& t) { return p.stripStopWords(t); },
         "log_stopWord_removed"},
    };
    bool ok = true;
    for (const Step& step : steps) {
      if (!step.on) continue;
      if (!step.apply(*this, working)) {
        ok = false;
        break;
      }
      if (environment) environment->progress(step.key, doc->fullPath(), false);
    }
    if (ok) doc->setText(std::move(working));
  }
  return files.count();
}

bool TPreProcDoc::stripPunctuation(std::string& text) const {
  if (text.empty()) return false;
  std::string out;
  for (const std::string& mark : wordLists_.punctuation()) {
    const std::string_view in(text);
    std::size_t i = 0;
    std::size_t k = in.find(mark);
    if (k == std::string_view::npos) continue;
    out.clear();
    out.reserve(in.size());
    while (k != std::string_view::npos) {
      out.append(in, i, k - i);
      const std::size_t after = k + mark.size();
      const bool blankBefore = !out.empty() && out.back() == ' ';
      const bool blankAfter = after < in.size() && in[after] == ' ';
      if (blankBefore && blankAfter) {
        // The mark goes with the blank after it; the search then resumes one
        // byte further, so the byte that follows that blank can't start a match.
        i = after + 1;
        if (i < in.size()) out += in[i++];
      } else {
        out += ' ';
        i = after;
      }
      k = in.find(mark, i);
    }
    out.append(in, i);
    text.swap(out);
  }
  return true;
}

bool TPreProcDoc::stripNumbers(std::string& text) {
  if (text.empty()) return false;
  std::size_t out = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      const bool beginsToken =
          out == 0 || text[out - 1] == ' ' || text[out - 1] == '\n' || text[out - 1] == '\t';
      if (beginsToken) {
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
        continue;
      }
    }
    text[out++] = c;
    ++i;
  }
  text.resize(out);
  return true;
}

bool TPreProcDoc::lowerText(std::string& text) {
  if (text.empty()) return false;
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return true;
}

bool TPreProcDoc::stripStopWords(std::string& text) const {
  if (text.empty()) return false;
  std::string pattern;
  std::string out;
  for (const std::string& word : wordLists_.stopWords()) {
    pattern.assign(1, ' ');
    pattern += word;
    pattern += ' ';
    const std::string_view in(text);
    std::size_t k = in.find(pattern);
    if (k == std::string_view::npos) continue;
    out.clear();
    out.reserve(in.size());
    std::size_t i = 0;
    while (k != std::string_view::npos) {
      // The blank put in is behind the search, so a following stop word can't
      // share it.
      out.append(in, i, k - i);
      out += ' ';
      i = k + pattern.size();
      k = in.find(pattern, i);
    }
    out.append(in, i);
    text.swap(out);
  }
  return true;
}
