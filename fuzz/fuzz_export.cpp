// The fuzz runs of -flat, -srec, -ihex and -extract. The conversions must
// give well-formed lines with right checksums; the extraction writes into a
// real temporary folder, which must then hold only what its listing says,
// nothing but plain files and folders, and nothing beside the folder given.
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
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
  int names = 256;
  uint64_t bytes = 16 << 20;
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

// Every line of -srec or -ihex: its count and checksum must hold.
void CheckLines(const std::string& text, bool srec) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) Finding("conversion: a line without its line break", text);
    const std::string line = text.substr(at, end - at);
    const size_t first = srec ? 2 : 1;
    if (line.size() < first + 2 || (line.size() - first) % 2 != 0 ||
        line[0] != (srec ? 'S' : ':')) {
      Finding("conversion: a malformed line", line);
    }
    unsigned sum = 0;
    for (size_t i = first; i < line.size(); i += 2) {
      sum += static_cast<unsigned>(std::stoul(line.substr(i, 2), nullptr, 16));
    }
    const size_t count = std::stoul(line.substr(first, 2), nullptr, 16);
    const bool countHolds = srec ? line.size() == 4 + 2 * count : line.size() == 11 + 2 * count;
    if (!countHolds || (sum & 0xFF) != (srec ? 0xFFu : 0u)) {
      Finding("conversion: a count or a checksum that does not hold", line);
    }
    at = end + 1;
  }
}

void RunConversions(const uint8_t* data, size_t size) {
  for (const char* option : {"-flat -fill=0x5A", "-srec", "-ihex"}) {
    FuzzHost host(data, size);
    KeepingSink outSink;
    NullSink errSink;
    {
      Writer out(outSink, 1 << 16);
      Diagnostics diag(out, errSink);
      RunRomscope(std::string("romscope ") + option + " image.bin", host, out, diag);
    }
    if (option[1] != 'f' && !outSink.cut) CheckLines(outSink.text, option[1] == 's');
  }
}

// A folder of its own for each extraction, whatever else runs beside it.
fs::path FreshRoot() {
  std::random_device random;
  std::error_code error;
  const fs::path temp = fs::temp_directory_path(error);
  for (;;) {
    fs::path root = temp / ("romscope-fuzz-" + std::to_string(random()) + std::to_string(random()));
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

void RunExtraction(const uint8_t* data, size_t size, bool json) {
  const fs::path root = FreshRoot();
  const fs::path out = root / "out";
  const std::string folder = out.u8string();
  // The command line is split at blanks: a temporary folder with one in its
  // name cannot be given.
  if (folder.find_first_of(" \t") == std::string::npos) {
    FuzzHost host(data, size);
    KeepingSink outSink;
    NullSink errSink;
    {
      Writer out(outSink, 1 << 16);
      Diagnostics diag(out, errSink);
      RunRomscope("romscope -extract=" + folder + (json ? " -json" : "") + " image.bin", host, out,
                  diag);
    }
    if (json && !outSink.cut) {
      if (!nlohmann::json::accept(outSink.text)) Finding("-extract -json: not JSON", outSink.text);
      CheckTree(root, out, nlohmann::json::parse(outSink.text));
    }
  }
  std::error_code error;
  fs::remove_all(root, error);
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
  RunExtraction(data, size, false);
  RunExtraction(data, size, true);
}

}  // namespace romscope
