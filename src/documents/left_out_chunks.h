#pragma once

#include <cstdint>
#include <vector>

class TFiles;
class TVocabulary;

// The chunks a study leaves out of every document's vocabulary: those of the
// template texts that every author was given, and those found in so many
// documents that they are boilerplate. Chunks are held by their ids in the
// study's chunk dictionary.
class TLeftOutChunks {
 public:
  // Why a chunk is left out.
  enum class Reason : std::uint8_t { kKept, kTemplate, kCommon };

  // Marks every chunk of a template's vocabulary. Returns the number of
  // chunks not marked before.
  std::int32_t addTemplate(const TVocabulary& vocabulary);
  // Marks every chunk, not marked before, that the vocabularies of more than
  // maxDocuments documents of files hold. Returns the number of chunks
  // marked; 0 when maxDocuments is 0 or below.
  std::int32_t addCommon(const TFiles& files, std::int32_t maxDocuments);
  // Removes every marked chunk from vocabulary. Returns the number removed.
  std::int32_t removeFrom(TVocabulary& vocabulary) const;

  // kKept for an id never marked.
  Reason reasonOf(std::uint32_t id) const {
    return id < reasons_.size() ? reasons_[id] : Reason::kKept;
  }
  bool empty() const { return count_ == 0; }

 private:
  // Marks id for reason; false when it was marked already.
  bool mark(std::uint32_t id, Reason reason);

  std::vector<Reason> reasons_;
  // The same marks as reasons_, in the form TVocabulary::removeChunkIds takes.
  std::vector<bool> marked_;
  std::int64_t count_ = 0;
};
