#include "documents/left_out_chunks.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "documents/files.h"
#include "stages/extract.h"

namespace {

using Counts = std::map<std::string, int>;

// Texts of words from a small list, so that chunks recur across them.
std::vector<std::string> texts(std::uint32_t seed, int count) {
  const char* words[] = {"we", "were", "asked", "to", "write", "about", "the", "river", "town"};
  std::vector<std::string> out;
  for (int t = 0; t < count; ++t) {
    std::string text;
    for (int w = 0; w < 30; ++w) {
      seed = seed * 1664525u + 1013904223u;
      text += words[(seed >> 8) % 9];
      text += ' ';
    }
    out.push_back(text);
  }
  return out;
}

// The two-word chunks of text with their counts, counted directly.
Counts chunksOf(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  Counts counts;
  for (std::size_t i = 0; i + 1 < words.size(); ++i) ++counts[words[i] + " " + words[i + 1]];
  return counts;
}

std::string fileTextOf(const Counts& counts) {
  TVocabulary vocabulary;
  for (const auto& [chunk, count] : counts) {
    for (int i = 0; i < count; ++i) vocabulary.addChunk(chunk);
  }
  return vocabulary.fileText();
}

}  // namespace

TEST(LeftOutChunks, TemplateAndCommonRemovalEqualADirectRecount) {
  for (const int most : {0, 1, 2, 3, 5, 6}) {
    for (const bool withTemplate : {false, true}) {
      const std::vector<std::string> documents = texts(static_cast<std::uint32_t>(most) + 11, 6);
      const std::string templateText = withTemplate ? texts(99, 1).front() : "";
      TExtractGrams extract;
      extract.setGramsSize(2);
      TFiles files;
      TFiles templates(files.dictionary());
      for (std::size_t d = 0; d < documents.size(); ++d) {
        ASSERT_EQ(0, files.add("d" + std::to_string(d), "dir"));
        files.get(static_cast<std::int32_t>(d))->setText(documents[d]);
        extract.extractDocument(files.get(static_cast<std::int32_t>(d)));
      }
      if (withTemplate) {
        ASSERT_EQ(0, templates.add("t", "dir"));
        templates.get(0)->setText(templateText);
        extract.extractDocument(templates.get(0));
      }

      // Directly: each document's chunks less the template's, then less those
      // that more than `most` of the documents hold.
      const Counts templateChunks = withTemplate ? chunksOf(templateText) : Counts();
      std::vector<Counts> want;
      std::vector<std::int32_t> wantTemplateRemoved;
      for (const std::string& text : documents) {
        Counts counts = chunksOf(text);
        std::int32_t removed = 0;
        for (const auto& entry : templateChunks) removed += counts.erase(entry.first) ? 1 : 0;
        wantTemplateRemoved.push_back(removed);
        want.push_back(counts);
      }
      Counts holders;
      for (const Counts& counts : want) {
        for (const auto& entry : counts) ++holders[entry.first];
      }
      std::set<std::string> common;
      for (const auto& [chunk, n] : holders) {
        if (most > 0 && n > most) common.insert(chunk);
      }
      for (Counts& counts : want) {
        for (const std::string& chunk : common) counts.erase(chunk);
      }

      TLeftOutChunks leftOut;
      if (withTemplate) {
        EXPECT_EQ(static_cast<std::int32_t>(templateChunks.size()),
                  leftOut.addTemplate(*templates.get(0)->vocabulary()));
      }
      for (std::int32_t d = 0; d < files.count(); ++d) {
        EXPECT_EQ(wantTemplateRemoved[static_cast<std::size_t>(d)],
                  leftOut.removeFrom(*files.get(d)->vocabulary()))
            << "template, document " << d;
      }
      EXPECT_EQ(static_cast<std::int32_t>(common.size()), leftOut.addCommon(files, most))
          << "most " << most;
      for (std::int32_t d = 0; d < files.count(); ++d) {
        leftOut.removeFrom(*files.get(d)->vocabulary());
        EXPECT_EQ(fileTextOf(want[static_cast<std::size_t>(d)]),
                  files.get(d)->vocabulary()->fileText())
            << "most " << most << " template " << withTemplate << " document " << d;
      }
      for (const auto& entry : templateChunks) {
        EXPECT_EQ(TLeftOutChunks::Reason::kTemplate,
                  leftOut.reasonOf(files.dictionary().find(entry.first)));
      }
      for (const std::string& chunk : common) {
        EXPECT_EQ(TLeftOutChunks::Reason::kCommon, leftOut.reasonOf(files.dictionary().find(chunk)));
      }
      EXPECT_EQ(TLeftOutChunks::Reason::kKept, leftOut.reasonOf(TChunkDictionary::kNone));
    }
  }
}
