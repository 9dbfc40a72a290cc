// The zip container of an OpenRaster file, through libzip, entirely in memory: a writer that
// collects entries in order and gives the archive's bytes, and a reader over given bytes that
// hands out entries whole, refusing any larger than the caller allows.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qm {

class COraZipWriter {
  public:
    COraZipWriter();
    ~COraZipWriter();
    COraZipWriter(const COraZipWriter&) = delete;
    COraZipWriter& operator=(const COraZipWriter&) = delete;

    // Entries are written in the order they are added. `compress` false stores the bytes as
    // they are (the mimetype must be, and PNGs gain nothing from deflating again).
    bool add(const std::string& name, std::vector<uint8_t> bytes, bool compress);
    // The archive's bytes; empty when anything failed. The writer is spent afterwards.
    std::vector<uint8_t> finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

enum class OraZipStatus { Ok, Missing, TooLarge, Damaged };

class COraZipReader {
  public:
    COraZipReader();
    ~COraZipReader();
    COraZipReader(const COraZipReader&) = delete;
    COraZipReader& operator=(const COraZipReader&) = delete;

    // The bytes must outlive the reader. False when they are not a consistent zip archive.
    bool open(std::span<const uint8_t> bytes);
    // An entry's whole content; TooLarge when it states more than maxBytes, Damaged when its
    // data does not match what the directory states (size, checksum, method).
    OraZipStatus read(const std::string& name, size_t maxBytes, std::vector<uint8_t>& out);
    // The name of the first entry in the archive ("" when there is none).
    std::string firstName() const;
    // Whether an entry is stored without compression.
    bool isStored(const std::string& name) const;

  private:
    struct Archive;
    std::unique_ptr<Archive> archive_;
};

} // namespace qm
