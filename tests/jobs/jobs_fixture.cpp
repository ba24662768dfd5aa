#include "jobs_fixture.h"

#include <algorithm>
#include <fstream>

#include "jobs/command_file.h"
#include "link/hecr_link.h"
#include "platform/app_folder.h"
#include "platform/utf8_path.h"

namespace meridox::jobs::testing {

namespace fs = std::filesystem;

void JobsTest::SetUp() {
  port_ = sim_.StartTcp();
  ASSERT_NE(port_, 0) << sim_.LastError();
  const std::string root = dir_.Utf8WithSlash();
  in_ = root + "in";
  answers_ = root + "answers" + platform::kPathDelimiter;
  journal_ = root + "Jobs.journal";
  fs::create_directories(platform::PathFromUtf8(in_));
  {
    std::ofstream ini(platform::PathFromUtf8(root + "Config.ini"), std::ios::binary);
    ini << "[System]\r\nConnKind=1\r\nHost=127.0.0.1\r\nPort=" << port_
        << "\r\n[Clerk]\r\nClerkID3=4321\r\n";
  }
  config_ = std::make_unique<TIniConfig>(root + "Config.ini");
  config_->ReadConfig();
}

void JobsTest::TearDown() {
  sim_.Stop();
}

TManagerOptions JobsTest::FastOptions() {
  TManagerOptions options;
  options.Period = 20ms;
  options.FilePause = 1ms;
  options.LockChecks = 501;
  options.LockCheckInterval = 10ms;
  options.StatusTimeOut = 500ms;  // sanitizer builds are slow; the simulator answers at once
  options.ReadAllTimeOut = 2000ms;
  options.EndDailyQueryTimeOut = 500ms;
  options.PrintTimeOut = 2000ms;
  return options;
}

std::unique_ptr<TManager> JobsTest::MakeManager(TManagerOptions options) {
  if (options.JournalFile.empty())
    options.JournalFile = journal_;
  TManagerServices services;
  services.Codec = &codec_;
  services.Config = config_.get();
  services.Notices = &notices_;
  services.Prompts = &prompts_;
  auto manager = std::make_unique<TManager>(services, options);
  manager->Link().SetTimeOut(1000);
  manager->Link().SetRetrycnt(1);
  manager->SetReceiptsDir(in_);
  manager->SetAnswerDir(answers_);
  manager->SetDecimalType(packing::TDecimalType::dtComma);
  manager->SetInEncoding(kFileEncoding);
  manager->SetOutEncoding(kFileEncoding);
  return manager;
}

std::string JobsTest::PutFile(const std::string& name, const std::string& utf8) {
  const std::string path = in_ + platform::kPathDelimiter + name;
  std::ofstream out(platform::PathFromUtf8(path), std::ios::binary);
  out << kFileEncoding.Encode(utf8);
  return path;
}

std::vector<fs::path> JobsTest::AnswerFiles() const {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(platform::PathFromUtf8(answers_), error), end;
       !error && it != end; it.increment(error))
    if (it->is_regular_file())
      files.push_back(it->path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> JobsTest::AnswersOf(const std::string& stem,
                                             TTextEncoding encoding) const {
  std::vector<std::string> out;
  for (const fs::path& file : AnswerFiles()) {
    const std::string name = platform::Utf8FromPath(file.filename());
    if (name.rfind(stem + "_", 0) == 0 && name.size() == stem.size() + 11)
      out.push_back(encoding.Decode(ReadFileBytes(platform::Utf8FromPath(file))));
  }
  return out;
}

void JobsTest::Pass(TManager& manager) {
  manager.ScanFiles(AnswerFolderOf(manager.AnswerDir(), platform::SystemClock().LocalNow()));
}

std::vector<std::uint32_t> JobsTest::SentIds() const {
  std::vector<std::uint32_t> ids;
  for (const auto& r : sim_.Requests())
    ids.push_back(r.command_id);
  return ids;
}

}  // namespace meridox::jobs::testing
