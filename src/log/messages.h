// The fixed texts the program shows, logs and writes into answer files. They are never
// translated or read from a file; failure messages join an operation's text and sError.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

namespace meridox::msg {

inline constexpr std::string_view sPrintNow = "Print Now?";
inline constexpr std::string_view sInformation = "Information";
inline constexpr std::string_view sSelect = "Select";
inline constexpr std::string_view sCancel = "Cancel";
inline constexpr std::string_view sConfirm = "Confirm";
inline constexpr std::string_view sOK = "OK";
inline constexpr std::string_view sError = "Error";
inline constexpr std::string_view sErrorID = "ERROR ID:%d";
inline constexpr std::string_view sRetry = "Retry";
inline constexpr std::string_view sSendData = "Send Data";
inline constexpr std::string_view sConnection = "Connection";
inline constexpr std::string_view sConnectingEcr = "connection ecr...";
inline constexpr std::string_view sConnectEcrFail = "connection ecr fail!";
inline constexpr std::string_view sDisconnection = "Disconnection";
inline constexpr std::string_view sDisconnectingEcr = "disconnection ecr...";
inline constexpr std::string_view sCannotConnectHost = "Can not Connect to Remote Host(%s:%d)";
inline constexpr std::string_view sUploadFmData = "UpLoad Fm Data";
inline constexpr std::string_view sSaveDataToFile = "Save Data To File(%s)";
inline constexpr std::string_view sSet = "Set";
inline constexpr std::string_view sInputText = "Input Text";
inline constexpr std::string_view sRA = "RA";
inline constexpr std::string_view sPo = "Po";
inline constexpr std::string_view sVoid = "Void";
inline constexpr std::string_view sEC = "EC";
inline constexpr std::string_view sSubtotal = "Subtotal";
inline constexpr std::string_view sTicket = "Ticket";
inline constexpr std::string_view sAllVoid = "All Void";
inline constexpr std::string_view sPlusMinus = "+/-";
inline constexpr std::string_view sPercentPlusMinus = "%+/%-";
inline constexpr std::string_view sPayment = "PayMent";
inline constexpr std::string_view sReturn = "Return";
inline constexpr std::string_view sSale = "Sale";
inline constexpr std::string_view sSelectEndDaily = "Select End Daily";
inline constexpr std::string_view sCancelEndDaily = "Cancel End Daily";
inline constexpr std::string_view sCheckEndDailyStatus = "Check EndDaily Status";
inline constexpr std::string_view sSaleOnLine = "Sale OnLine";
inline constexpr std::string_view sClose = "Close";
inline constexpr std::string_view sOpen = "Open";
inline constexpr std::string_view sLogin = "Login";
inline constexpr std::string_view sLogOut = "LogOut";
inline constexpr std::string_view sGetProperties = "Get Properties";
inline constexpr std::string_view sCheckEcrStatus = "Check ECR Status";
inline constexpr std::string_view sPrintReport = "Print Report";
inline constexpr std::string_view sReport = "Report";
inline constexpr std::string_view sReadReceipt = "Read Receipt";
inline constexpr std::string_view sReadCurrentReceipt = "Read Current Receipt";
inline constexpr std::string_view sReadPLUReport = "Read PLU Report";
inline constexpr std::string_view sReadOtherReceipt = "Read Other Receipt";
inline constexpr std::string_view sECR = "ECR";
inline constexpr std::string_view sUpload = "Upload ";
inline constexpr std::string_view sDownload = "Download ";
inline constexpr std::string_view sPLU = "PLU";
inline constexpr std::string_view sDepartment = "Department";
inline constexpr std::string_view sLostConnection = "Lost Connection";
inline constexpr std::string_view sSendDataRetryComplete = "Send Data Error, Retry Complete";
inline constexpr std::string_view sUnSupportCommand = "UnSupport Command!";
inline constexpr std::string_view sPackDataError = "Pack Data Error";
inline constexpr std::string_view sGetEcrStatusError = "Get Ecr Status Error";
inline constexpr std::string_view sEcrDisconnected = "Ecr Disconnected";
inline constexpr std::string_view sCloseReceipt = "Close Receipt";
inline constexpr std::string_view sAppWillRestart = "App will be Restart";
inline constexpr std::string_view sGetEcrStatus = "Get Ecr Status";

// Texts this program adds to the catalogue, in the same style.

// The Greek resource text (string 1, language 1032) of the end-of-day dialog, UTF-8.
// Its capitals mix Greek (Π Σ Θ Φ) and Latin (P O A E I M T) letters on purpose.
inline constexpr std::string_view sTransferAttempt =
    "\u03A0PO\u03A3\u03A0A\u0398EIA META\u03A6.%d/10";
inline constexpr int kTransferAttemptResourceId = 1;
inline constexpr int kTransferAttemptLanguageId = 1032;

// The notice when a manual operation cannot pause the worker in time: the ECR is in use.
inline constexpr std::string_view sEcrBusy = "ECR Busy, Try Again Later";

// The answer of a command file whose processing a crash or kill interrupted: its lines are
// not sent again; %d is the last line (1-based, of the file) the ECR confirmed, 0 for none.
inline constexpr std::string_view sProcessingInterrupted =
    "Processing Interrupted, Last Confirmed Line %d";

struct CatalogueEntry {
  int index;
  std::string_view name;
  std::string_view text;
};

// The original 62 entries in their catalogue order.
extern const std::array<CatalogueEntry, 62> kCatalogue;

// "Send Data" -> "Send Data Error": an operation's text, one blank and sError.
std::string ErrorText(std::string_view operation);

// sTransferAttempt with the ECR's attempt count filled in.
std::string FormatTransferAttempt(int count);

// printf-style formatting of a catalogue text ("%s", "%d" placeholders); pass C strings
// and plain numbers.
template <typename... Args>
std::string Format(std::string_view pattern, Args... args) {
  const std::string format(pattern);
  const int size = std::snprintf(nullptr, 0, format.c_str(), args...);
  if (size <= 0)
    return {};
  std::string out(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(out.data(), out.size(), format.c_str(), args...);
  out.resize(static_cast<size_t>(size));
  return out;
}

}  // namespace meridox::msg
