// TestZipBuilder: writes small ZIP archives in memory for the reader's tests,
// with stored or deflated entries, and exposes the offsets of every header
// field so that a test can damage exactly one of them.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class TestZipBuilder {
 public:
  struct Options {
    Options() : deflate(true), encrypted(false) {}
    Options(bool deflate_entry, bool encrypted_entry)
        : deflate(deflate_entry), encrypted(encrypted_entry) {}
    bool deflate;
    bool encrypted;
  };

  // Offsets (into the built archive) of one entry's headers.
  struct Layout {
    size_t local_header = 0;
    size_t central_header = 0;
    size_t data = 0;
    size_t data_size = 0;
  };

  void Add(const std::string& name, const std::string& content, Options options = Options()) {
    entries_.push_back({name, content, options});
  }
  void AddDirectory(const std::string& name) {
    entries_.push_back({name, "", Options(false, false)});
  }

  std::string Build() {
    std::string out;
    std::string central;
    layouts_.clear();
    for (const Pending& entry : entries_) {
      const std::string data = entry.options.deflate ? Deflate(entry.content) : entry.content;
      const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
                                 static_cast<uInt>(entry.content.size()));
      const uint16_t flags = entry.options.encrypted ? 1 : 0;
      const uint16_t method = entry.options.deflate ? 8 : 0;
      Layout layout;
      layout.local_header = out.size();
      Put32(out, 0x04034b50);
      Put16(out, 20);
      Put16(out, flags);
      Put16(out, method);
      Put32(out, 0);
      Put32(out, crc);
      Put32(out, static_cast<uint32_t>(data.size()));
      Put32(out, static_cast<uint32_t>(entry.content.size()));
      Put16(out, static_cast<uint16_t>(entry.name.size()));
      Put16(out, 0);
      out += entry.name;
      layout.data = out.size();
      layout.data_size = data.size();
      out += data;

      layout.central_header = central.size();  // relative until the end
      Put32(central, 0x02014b50);
      Put16(central, 20);
      Put16(central, 20);
      Put16(central, flags);
      Put16(central, method);
      Put32(central, 0);
      Put32(central, crc);
      Put32(central, static_cast<uint32_t>(data.size()));
      Put32(central, static_cast<uint32_t>(entry.content.size()));
      Put16(central, static_cast<uint16_t>(entry.name.size()));
      Put16(central, 0);
      Put16(central, 0);
      Put16(central, 0);
      Put16(central, 0);
      Put32(central, 0);
      Put32(central, static_cast<uint32_t>(layout.local_header));
      central += entry.name;
      layouts_.push_back(layout);
    }
    central_offset_ = out.size();
    for (Layout& layout : layouts_) layout.central_header += central_offset_;
    out += central;
    end_record_ = out.size();
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint16_t>(entries_.size()));
    Put16(out, static_cast<uint16_t>(entries_.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, static_cast<uint32_t>(central_offset_));
    Put16(out, 0);
    return out;
  }

  const Layout& layout(size_t i) const { return layouts_[i]; }
  size_t end_record() const { return end_record_; }

  static void Put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
  }
  static void Put32(std::string& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value & 0xFFFF));
    Put16(out, static_cast<uint16_t>(value >> 16));
  }
  static void Set32(std::string& archive, size_t offset, uint32_t value) {
    std::string bytes;
    Put32(bytes, value);
    archive.replace(offset, 4, bytes);
  }
  static void Set16(std::string& archive, size_t offset, uint16_t value) {
    std::string bytes;
    Put16(bytes, value);
    archive.replace(offset, 2, bytes);
  }

  // Raw deflate (no zlib header), as ZIP stores it.
  static std::string Deflate(const std::string& content) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
  }

 private:
  struct Pending {
    std::string name;
    std::string content;
    Options options;
  };
  std::vector<Pending> entries_;
  std::vector<Layout> layouts_;
  size_t central_offset_ = 0;
  size_t end_record_ = 0;
};

}  // namespace ui
