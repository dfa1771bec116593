// PeResourceFile: the resources of a built Windows executable (a PE file
// read into memory), listed and read as the system would find them, and the
// channel rewritten in place without relinking.
//
// Promises: every offset, size and count of the file is checked before it
// is used, so a damaged or hostile file gives a clear error and never a read
// outside the bytes. A rewrite changes only the resource's bytes, the size
// in its data entry and the header's checksum (recomputed when the linker
// set one, left 0 when it did not); every other byte of the file stays as it
// was. A signed file is refused: a rewrite would break its signature. The
// new content must fit the room the build reserved for it (the bytes up to
// the next structure of the resource section).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace resource_writer {

class PeResourceFile {
 public:
  struct Resource {
    std::string type;  // The type's name ("THEME"), or "#" and its number ("#16").
    std::string name;  // The resource's name, or its number as text ("138").
    uint16_t language = 0;
    uint32_t size = 0;          // Bytes of content.
    size_t data_offset = 0;     // File offset of the content.
    size_t entry_offset = 0;    // File offset of the data entry (its size field at +4).
    size_t room = 0;            // Bytes the content may grow to in place.
  };

  // True when `bytes` start like a PE file ("MZ" and a "PE" header where the
  // DOS header points); such a file is ours to parse, never the other format.
  static bool LooksLikePe(std::string_view bytes);

  // Parses the file. False, with `error` set, when it is not a PE file or
  // its headers or resource section do not check out.
  bool Parse(std::string bytes, std::string* error);

  const std::vector<Resource>& resources() const { return resources_; }
  // File offset of the optional header's checksum field.
  size_t checksum_offset() const { return checksum_offset_; }
  const std::string& bytes() const { return bytes_; }

  // The first resource of that type and name, in any language; null when
  // there is none. Numbered types and names are given as "#16" / "138".
  const Resource* Find(std::string_view type, std::string_view name) const;
  // Its content.
  std::string_view Content(const Resource& resource) const;

  // Replaces the content of the resource (type, name) with `content`. False,
  // with `error` set, when there is no such resource, the file is signed, or
  // the content does not fit its room.
  bool Rewrite(std::string_view type, std::string_view name, std::string_view content,
               std::string* error);

  // The checksum of the optional header as the system computes it for the
  // file's bytes (the checksum field itself counted as 0).
  uint32_t ComputeChecksum() const;

 private:
  bool ParseResourceDirectory(std::string* error);
  bool ReadName(size_t offset, std::string* name) const;
  bool RvaToOffset(uint32_t rva, size_t length, size_t* offset) const;

  struct Section {
    uint32_t virtual_address = 0;
    uint32_t virtual_size = 0;
    uint32_t raw_size = 0;
    uint32_t raw_offset = 0;
  };

  std::string bytes_;
  std::vector<Section> sections_;
  std::vector<Resource> resources_;
  size_t checksum_offset_ = 0;
  bool signed_ = false;
  size_t resource_section_offset_ = 0;  // File offset of the resource directory root.
  size_t resource_section_end_ = 0;     // End of the section's bytes in the file.
};

}  // namespace resource_writer
