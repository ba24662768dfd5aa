#include "log/messages.h"

namespace meridox::msg {

const std::array<CatalogueEntry, 62> kCatalogue = {{
    {0, "sPrintNow", sPrintNow},
    {1, "sInformation", sInformation},
    {2, "sSelect", sSelect},
    {3, "sCancel", sCancel},
    {4, "sConfirm", sConfirm},
    {5, "sOK", sOK},
    {6, "sError", sError},
    {7, "sErrorID", sErrorID},
    {8, "sRetry", sRetry},
    {9, "sSendData", sSendData},
    {10, "sConnection", sConnection},
    {11, "sConnectingEcr", sConnectingEcr},
    {12, "sConnectEcrFail", sConnectEcrFail},
    {13, "sDisconnection", sDisconnection},
    {14, "sDisconnectingEcr", sDisconnectingEcr},
    {15, "sCannotConnectHost", sCannotConnectHost},
    {16, "sUploadFmData", sUploadFmData},
    {17, "sSaveDataToFile", sSaveDataToFile},
    {18, "sSet", sSet},
    {19, "sInputText", sInputText},
    {20, "sRA", sRA},
    {21, "sPo", sPo},
    {22, "sVoid", sVoid},
    {23, "sEC", sEC},
    {24, "sSubtotal", sSubtotal},
    {25, "sTicket", sTicket},
    {26, "sAllVoid", sAllVoid},
    {27, "sPlusMinus", sPlusMinus},
    {28, "sPercentPlusMinus", sPercentPlusMinus},
    {29, "sPayment", sPayment},
    {30, "sReturn", sReturn},
    {31, "sSale", sSale},
    {32, "sSelectEndDaily", sSelectEndDaily},
    {33, "sCancelEndDaily", sCancelEndDaily},
    {34, "sCheckEndDailyStatus", sCheckEndDailyStatus},
    {35, "sSaleOnLine", sSaleOnLine},
    {36, "sClose", sClose},
    {37, "sOpen", sOpen},
    {38, "sLogin", sLogin},
    {39, "sLogOut", sLogOut},
    {40, "sGetProperties", sGetProperties},
    {41, "sCheckEcrStatus", sCheckEcrStatus},
    {42, "sPrintReport", sPrintReport},
    {43, "sReport", sReport},
    {44, "sReadReceipt", sReadReceipt},
    {45, "sReadCurrentReceipt", sReadCurrentReceipt},
    {46, "sReadPLUReport", sReadPLUReport},
    {47, "sReadOtherReceipt", sReadOtherReceipt},
    {48, "sECR", sECR},
    {49, "sUpload", sUpload},
    {50, "sDownload", sDownload},
    {51, "sPLU", sPLU},
    {52, "sDepartment", sDepartment},
    {53, "sLostConnection", sLostConnection},
    {54, "sSendDataRetryComplete", sSendDataRetryComplete},
    {55, "sUnSupportCommand", sUnSupportCommand},
    {56, "sPackDataError", sPackDataError},
    {57, "sGetEcrStatusError", sGetEcrStatusError},
    {58, "sEcrDisconnected", sEcrDisconnected},
    {59, "sCloseReceipt", sCloseReceipt},
    {60, "sAppWillRestart", sAppWillRestart},
    {61, "sGetEcrStatus", sGetEcrStatus},
}};

std::string ErrorText(std::string_view operation) {
  std::string text(operation);
  text += ' ';
  text += sError;
  return text;
}

std::string FormatTransferAttempt(int count) {
  return Format(sTransferAttempt, count);
}

}  // namespace meridox::msg
