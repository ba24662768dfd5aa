#include "link/ecr_commands.h"

namespace meridox::link {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

TEcrCommand::TEcrCommand(std::int32_t id, std::string caption, std::uint32_t command,
                         TCommandStatus status)
    : FCaption(std::move(caption)), FCommand(command), FStatus(status), FID(id) {}

std::string TEcrCommand::DisplayName() const {
  if (TrimBlanks(FCaption).empty()) {
    return std::string(kClassName);
  }
  return FCaption;
}

TEcrCommand& TEcrCommands::Add() {
  TEcrCommand& item = FItems.emplace_back();
  // The collection numbers its items from 0 on insertion; the ID is one more.
  item.SetID(FNextNumber + 1);
  ++FNextNumber;
  return item;
}

void TEcrCommands::Add(std::int32_t AID, std::uint32_t ACmd, TCommandStatus AMode,
                       std::string ACaption) {
  TEcrCommand& item = Add();
  item.SetID(AID);
  item.SetCaption(std::move(ACaption));
  item.SetCommand(ACmd);
  item.SetStatus(AMode);
}

const TEcrCommand* TEcrCommands::FindByCommand(std::uint32_t value) const {
  for (const auto& item : FItems) {
    if (item.Command() == value) {
      return &item;
    }
  }
  return nullptr;
}

const TEcrCommand* TEcrCommands::FindByID(std::int32_t id) const {
  for (const auto& item : FItems) {
    if (item.ID() == id) {
      return &item;
    }
  }
  return nullptr;
}

const TEcrCommand* TEcrCommands::FindByCaption(std::string_view value) const {
  const std::string_view wanted = TrimBlanks(value);
  for (const auto& item : FItems) {
    if (TrimBlanks(item.Caption()) == wanted) {
      return &item;
    }
  }
  return nullptr;
}

void InitCommands(TEcrCommands& commands) {
  using enum TCommandStatus;
  struct Entry {
    std::int32_t id;
    std::uint32_t command;
    TCommandStatus status;
    const char* caption;
  };
  // The protocol's vocabulary, in its fixed order. Captions are the ECR vendor's names.
  static constexpr Entry kEntries[] = {
      {20000, 0xE000, csUpload, "检查ECR状态"},
      {20001, 0xE001, csUpload, "读当前收据"},
      {20002, 0xE002, csUpload, "读单品销售报表"},
      {10009, 0xE005, csUpload, "未传当前收据内容"},
      {10000, 0xE003, csDownload, "连接"},
      {10001, 0xE004, csDownload, "断开连接"},
      {10002, 0xE0C2, csDownload, "登录"},
      {10003, 0xE0C3, csDownload, "登出"},
      {10004, 0xE082, csDownload, "销售"},
      {30009, 0xE01F, csDownload, "打印ECR报表"},
      {10010, 0xE0C4, csDownload, "RAPO"},
      {10011, 0xE0C5, csDownload, "PrintMsg"},
      {10012, 0xE0C6, csUpload, "General"},
      {10013, 0xE0C7, csUpload, "FPTailMsg"},
      {10017, 0xE0C9, csDownload, "Open Table"},
      {10016, 0xE0CA, csUpload, "Close Table"},
      {10015, 0xE0CB, csUpload, "Transfer Table"},
      {10014, 0xE0CC, csDownload, "Make Invoice"},
      {10018, 0xE0CD, csDownload, "Close temporary Table"},
      {100, 0xA001, csUpload, "测试通讯"},
      {10007, 0x800D, csError, "异常命令"},
      {30008, 0xE0FF, csUpload, "获取ECR属性"},
      {10006, 0xE088, csOnline, "ECR读PC单品数据"},
      {30001, 0xE010, csUpload, "上传Z报表"},
      {30002, 0xE011, csUpload, "上传单品报表"},
      {30005, 0xE014, csUpload, "上传单品区间报表"},
      {30003, 0xE012, csUpload, "上传部门报表"},
      {30004, 0xE013, csUpload, "上传组别报表"},
      {30006, 0xE015, csUpload, "上传收银员报表"},
      {30007, 0xE016, csUpload, "上传收银员区间报表"},
      {30010, 0xE017, csUpload, "上传日区间报表"},
      {60001, 0x7001, csUpload, "上载FM数据"},
      {60002, 0x7002, csOnline, "应答FM命令"},
      {101, 0xA002, csDownload, "下载参数"},
      {102, 0xA003, csDownload, "下载LOGO"},
      {103, 0xA005, csDownload, "下载单品"},
      {104, 0xA006, csDownload, "下载部门"},
      {105, 0xA007, csDownload, "下载组别"},
      {106, 0xA008, csDownload, "下载608command para"},
      {107, 0xA009, csDownload, "下载设置的头信息"},
      {108, 0xA00A, csDownload, "设置税率"},
      {109, 0xA00B, csDownload, "设置尾信息"},
      {110, 0xA00C, csDownload, "设置打折"},
      {111, 0xA00D, csDownload, "设置ticket"},
      {112, 0xA00E, csDownload, "设置打印浓度"},
      {113, 0xA00F, csDownload, "设置广告信息"},
      {114, 0xA010, csDownload, "设置Comport"},
      {115, 0xA011, csDownload, "设置EtherNet"},
      {116, 0xA012, csDownload, "设置信用卡名称"},
      {117, 0xA013, csDownload, "设置收银员"},
      {118, 0xA014, csDownload, "设置其他"},
      {119, 0xA020, csDownload, "头信息比较"},
      {120, 0xA016, csUpload, "设置ReportServer"},
      {121, 0xA017, csUpload, "设置GPRS"},
      {122, 0xA018, csUpload, "设置CardDigit"},
      {130, 0xA01C, csUpload, "上载KeySet"},
      {201, 0x6001, csUpload, "上载参数"},
      {202, 0x6005, csUpload, "上载单品"},
      {203, 0x6006, csUpload, "上载部门"},
      {204, 0x6007, csUpload, "上载组别"},
      {205, 0x6008, csUpload, "上载608command para"},
      {206, 0x6009, csUpload, "上载设置的头信息"},
      {207, 0x600A, csUpload, "上载税率"},
      {208, 0x600B, csUpload, "上载尾信息"},
      {209, 0x600C, csUpload, "上载打折"},
      {210, 0x600D, csUpload, "上载ticket"},
      {211, 0x600E, csUpload, "上载打印浓度"},
      {212, 0x600F, csUpload, "上载广告信息"},
      {213, 0x6010, csUpload, "上载Comport"},
      {214, 0x6011, csUpload, "上载EtherNet"},
      {215, 0x6012, csUpload, "上载信用卡名称"},
      {216, 0x6013, csUpload, "上载收银员"},
      {217, 0x6014, csUpload, "上载其他"},
      {218, 0x6015, csUpload, "上载LOGO"},
      {220, 0x6016, csUpload, "上载ReportServer"},
      {221, 0x6017, csUpload, "上载GPRS"},
      {222, 0x6018, csUpload, "上载CardDigit"},
      {230, 0x601C, csUpload, "上载KeySet"},
      {303, 0x6080, csUpload, "上载ECR_PLU"},
      {304, 0x6081, csUpload, "上载ECR_DEP"},
  };
  static_assert(std::size(kEntries) == 80);
  commands.Clear();
  for (const auto& entry : kEntries) {
    commands.Add(entry.id, entry.command, entry.status, entry.caption);
  }
}

}  // namespace meridox::link
