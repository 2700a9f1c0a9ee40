// The fuzz runs of -flat, -srec, -ihex and -extract. The conversions must
// give well-formed lines with right checksums; the extraction writes into a
// real temporary folder, which must then hold only what its listing says,
// nothing but plain files and folders, and nothing beside the folder given.
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <system_error>

#include "cli/driver.h"
#include "fuzz/fuzz_host.h"

namespace romscope {
namespace {

namespace fs = std::filesystem;

// What a hostile image may make one extraction write: a few hundred names
// and a few MiB, so that every input runs fast. Past it the folder refuses,
// as a full disk would.
struct Quota {
  int names = 64;
  uint64_t bytes = 4 << 20;
};
constexpr char kQuotaReason[] = "the fuzz run's quota is spent";

class QuotaFile : public OutputFile {
 public:
  QuotaFile(std::unique_ptr<OutputFile> file, std::shared_ptr<Quota> quota)
      : file_(std::move(file)), quota_(std::move(quota)) {}
  bool Write(const uint8_t* data, size_t size) override {
    if (size > quota_->bytes) {
      spent_ = true;
      return false;
    }
    quota_->bytes -= size;
    return file_->Write(data, size);
  }
  bool Close() override { return file_->Close(); }
  std::string ErrorText() const override { return spent_ ? kQuotaReason : file_->ErrorText(); }

 private:
  std::unique_ptr<OutputFile> file_;
  bool spent_ = false;
  std::shared_ptr<Quota> quota_;
};

class QuotaFolder : public OutputFolder {
 public:
  QuotaFolder(std::unique_ptr<OutputFolder> folder, std::shared_ptr<Quota> quota)
      : folder_(std::move(folder)), quota_(std::move(quota)) {}
  std::unique_ptr<OutputFolder> MakeFolder(const std::string& name, std::string* reason) override {
    if (!Take(reason)) return nullptr;
    std::unique_ptr<OutputFolder> made = folder_->MakeFolder(name, reason);
    return made ? std::make_unique<QuotaFolder>(std::move(made), quota_) : nullptr;
  }
  std::unique_ptr<OutputFile> MakeFile(const std::string& name, std::string* reason) override {
    if (!Take(reason)) return nullptr;
    std::unique_ptr<OutputFile> made = folder_->MakeFile(name, reason);
    return made ? std::make_unique<QuotaFile>(std::move(made), quota_) : nullptr;
  }

 private:
  bool Take(std::string* reason) {
    if (quota_->names == 0) {
      *reason = kQuotaReason;
      return false;
    }
    --quota_->names;
    return true;
  }

  std::unique_ptr<OutputFolder> folder_;
  std::shared_ptr<Quota> quota_;
};

// What the checks here read back is proved as well by a few hundred KiB of
// output as by megabytes, which would take the sanitized runs long.
constexpr size_t kKeptOutput = 256 << 10;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Every line of -srec or -ihex: upper-case hex digits, its count and its
// checksum must hold.
void CheckLines(const std::string& text, bool srec) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) Finding("conversion: a line without its line break", text);
    const size_t first = at + (srec ? 2 : 1);
    if (end < first + 2 || (end - first) % 2 != 0 || text[at] != (srec ? 'S' : ':')) {
      Finding("conversion: a malformed line", text.substr(at, end - at));
    }
    unsigned sum = 0;
    for (size_t i = first; i < end; i += 2) {
      const int high = HexDigit(text[i]);
      const int low = HexDigit(text[i + 1]);
      if (high < 0 || low < 0) Finding("conversion: not a hex digit", text.substr(at, end - at));
      sum += static_cast<unsigned>(high * 16 + low);
    }
    const size_t count = static_cast<size_t>(HexDigit(text[first])) * 16 +
                         static_cast<size_t>(HexDigit(text[first + 1]));
    const size_t digits = end - first;
    const bool countHolds = srec ? digits == 2 + 2 * count : digits == 10 + 2 * count;
    if (!countHolds || (sum & 0xFF) != (srec ? 0xFFu : 0u)) {
      Finding("conversion: a count or a checksum that does not hold", text.substr(at, end - at));
    }
    at = end + 1;
  }
}

void RunConversions(const uint8_t* data, size_t size) {
  for (const char* option : {"-flat -fill=0x5A", "-srec", "-ihex"}) {
    FuzzHost host(data, size);
    KeepingSink outSink(kKeptOutput);
    NullSink errSink;
    {
      Writer out(outSink, 1 << 16);
      Diagnostics diag(out, errSink);
      RunRomscope(std::string("romscope ") + option + " image.bin", host, out, diag);
    }
    // Output cut at the budget is checked up to its last whole line.
    std::string& text = outSink.text;
    if (outSink.cut) text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    if (option[1] != 'f') CheckLines(text, option[1] == 's');
  }
}

// Folders in memory, for the run of the text listing: a name the tool asks
// for twice in one folder is a finding, since it claims every name once.
class MemoryFolder : public OutputFolder {
 public:
  MemoryFolder(std::shared_ptr<std::set<std::string>> names, std::string path)
      : names_(std::move(names)), path_(std::move(path)) {}
  std::unique_ptr<OutputFolder> MakeFolder(const std::string& name, std::string* reason) override {
    return Take(name, reason) ? std::make_unique<MemoryFolder>(names_, path_ + "/" + name)
                              : nullptr;
  }
  std::unique_ptr<OutputFile> MakeFile(const std::string& name, std::string* reason) override {
    return Take(name, reason) ? std::make_unique<NullFile>() : nullptr;
  }

 private:
  class NullFile : public OutputFile {
   public:
    bool Write(const uint8_t*, size_t) override { return true; }
    bool Close() override { return true; }
    std::string ErrorText() const override { return {}; }
  };
  bool Take(const std::string& name, std::string* reason) {
    if (!IsPlainName(name)) Finding("-extract: not a plain name", name);
    if (!names_->insert(path_ + "/" + name).second) Finding("-extract: a name made twice", name);
    if (names_->size() > 4096) {
      *reason = kQuotaReason;
      return false;
    }
    return true;
  }
  std::shared_ptr<std::set<std::string>> names_;
  std::string path_;
};

class MemoryFolderHost : public FuzzHost {
 public:
  using FuzzHost::FuzzHost;
  std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path, std::string*) override {
    return std::make_unique<MemoryFolder>(std::make_shared<std::set<std::string>>(), path);
  }
};

// Takes a listing up to 1 MiB (some twenty thousand lines): a hostile image
// can list millions of entries, which take the run's time and prove no more.
class ListingSink : public OutputSink {
 public:
  bool Write(const char*, size_t size) override {
    if (size > left_) return false;
    left_ -= size;
    return true;
  }

 private:
  size_t left_ = 1 << 20;
};

// The text listing, into folders in memory.
void RunTextExtraction(const uint8_t* data, size_t size) {
  MemoryFolderHost host(data, size);
  ListingSink outSink;
  NullSink errSink;
  Writer out(outSink, 1 << 16);
  Diagnostics diag(out, errSink);
  RunRomscope("romscope -extract=out image.bin", host, out, diag);
}

// A folder of its own for each extraction, whatever else runs beside it.
fs::path FreshRoot() {
  std::random_device random;
  std::error_code error;
  // Memory-backed where there is such a folder: thousands of runs make and
  // remove their folders, which a disk journals one by one.
  const fs::path shm = "/dev/shm";
  const fs::path temp = fs::is_directory(shm, error) ? shm : fs::temp_directory_path(error);
  for (;;) {
    // Short names: a path of the tool's longest names (200 bytes) must stay
    // within what the C++ library removes on Windows (260 characters).
    char name[16];
    std::snprintf(name, sizeof name, "rsf%08x", random());
    fs::path root = temp / name;
    if (fs::create_directory(root, error)) return root;
    if (error) Finding("-extract: no temporary folder", root.string() + ": " + error.message());
  }
}

// The tree under `out` must be plain folders and files, and each file one
// that the listing says was written, of the size it says.
void CheckTree(const fs::path& root, const fs::path& out, const nlohmann::json& listing) {
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (entry.path() != out) Finding("-extract: a name beside the folder", entry.path().string());
  }
  if (!fs::exists(out)) return;
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    const fs::file_status status = fs::symlink_status(entry.path());
    if (fs::is_regular_file(status)) {
      ++files;
    } else if (!fs::is_directory(status)) {
      Finding("-extract: neither a file nor a folder", entry.path().string());
    }
  }
  size_t written = 0;
  for (const nlohmann::json& entry : listing["entries"]) {
    if (entry["status"] != "written") continue;
    ++written;
    const fs::path path = out / fs::u8path(entry["path"].get<std::string>());
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path)) ||
        fs::file_size(path, error) != entry["size"].get<uint64_t>()) {
      Finding("-extract: a written entry that is not there as listed", entry.dump());
    }
  }
  if (files != written) Finding("-extract: files that the listing does not give", listing.dump());
}

// The JSON listing, into a real folder, checked against the listing.
void RunExtraction(const uint8_t* data, size_t size) {
  const fs::path root = FreshRoot();
  const fs::path out = root / "o";
  const std::string folder = out.u8string();
  // The command line is split at blanks: a temporary folder with one in its
  // name cannot be given.
  if (folder.find_first_of(" \t") == std::string::npos) {
    FuzzHost host(data, size);
    KeepingSink outSink(kKeptOutput);
    NullSink errSink;
    {
      Writer out(outSink, 1 << 16);
      Diagnostics diag(out, errSink);
      RunRomscope("romscope -json -extract=" + folder + " image.bin", host, out, diag);
    }
    if (!outSink.cut) {
      const nlohmann::json listing = nlohmann::json::parse(outSink.text, nullptr, false);
      if (listing.is_discarded()) Finding("-extract -json: not JSON", outSink.text);
      CheckTree(root, out, listing);
    }
  }
  std::error_code error;
  if (fs::remove_all(root, error) == static_cast<std::uintmax_t>(-1) || error) {
    std::fprintf(stderr, "fuzz: could not remove %s: %s\n", root.string().c_str(),
                 error.message().c_str());
  }
}

}  // namespace

std::unique_ptr<OutputFolder> FuzzHost::OpenOutputFolder(const std::string& path,
                                                         std::string* reason) {
  std::unique_ptr<OutputFolder> folder = romscope::OpenOutputFolder(path, reason);
  return folder ? std::make_unique<QuotaFolder>(std::move(folder), std::make_shared<Quota>())
                : nullptr;
}

void FuzzExport(const uint8_t* data, size_t size) {
  RunConversions(data, size);
  RunExtraction(data, size);
  // Each extraction collects the whole inspection again: the text listing,
  // which differs from the JSON one only in how it prints, takes every
  // other input (by its size, so that an input always runs the same).
  if (size % 2 == 1) RunTextExtraction(data, size);
}

}  // namespace romscope
