// Captions and messages of the tray program's windows, UTF-8. Texts the rest of the
// system shares live in the message catalogue (log/messages.h).
#pragma once

#include <string_view>

namespace meridox::app::text {

inline constexpr std::string_view kMutexName = "MERIDOX";
inline constexpr std::string_view kAppTitle = "MERIDOX[1.0.0.5]";
inline constexpr std::string_view kAlreadyRunning = "App is already running!";
inline constexpr std::string_view kInfoCaption = "Info";
inline constexpr std::string_view kRestartArgument = "Restart";
inline constexpr std::string_view kAutoStartValue = "VEXDriver";

// Ribbon groups and buttons.
inline constexpr std::string_view kGroupOperations = "λειτουργίες";
inline constexpr std::string_view kGroupAbout = "About";
inline constexpr std::string_view kGroupGeneral = "General";
inline constexpr std::string_view kCheckConn = "Έλεγχος επικοινωνίας";
inline constexpr std::string_view kCloseReceipt = "Κλείσιμο Απόδειξης";
inline constexpr std::string_view kAllVoid = "Ακύρωση Απόδειξης";
inline constexpr std::string_view kXReport = "Αναφορά Χ";
inline constexpr std::string_view kZReport = "Αναφορά Ζ";
inline constexpr std::string_view kAbout = "About";
inline constexpr std::string_view kApply = "Αποδοχή-Απόκρυψη";
inline constexpr std::string_view kExit = "Έξοδος";
inline constexpr std::string_view kTraySettings = "Σύνθεση";

// Settings panel.
inline constexpr std::string_view kCommunication = "Communication";
inline constexpr std::string_view kSerial = "Serial Communication";
inline constexpr std::string_view kEthernet = "Ethernet Communication";
inline constexpr std::string_view kPortNames = "Θύρα επικοινωνίας";
inline constexpr std::string_view kBaudRate = "Ταχύτητα επικοινωνίας";
inline constexpr std::string_view kIPAddress = "Διεύθυνση (IP)";
inline constexpr std::string_view kPort = "Θύρα (port)";
inline constexpr std::string_view kInEncoding = "Input Encoding";
inline constexpr std::string_view kOutEncoding = "Output Encoding";
inline constexpr std::string_view kPath = "Διαδρομή ανίχνευσης";
inline constexpr std::string_view kClearFiles = "Σβήσιμο Παλιών αρχείων κατά την εκκίνηση";
inline constexpr std::string_view kDecimalSymbol = "Decimal Symbol";
inline constexpr std::string_view kStartWithWindows = "Αυτόματη έναρξη κατά την εκκίνηση.";

// Apply's messages, in the order of the checks.
inline constexpr std::string_view kIPEmpty = "Διεύθυνση (IP) Αδειάζω!";
inline constexpr std::string_view kPortEmpty = "Θύρα (port) Αδειάζω!";
inline constexpr std::string_view kPortNameEmpty = "Θύρα επικοινωνίας Αδειάζω!";
inline constexpr std::string_view kBaudRateEmpty = "Ταχύτητα επικοινωνίας Αδειάζω!";
inline constexpr std::string_view kInEncodingEmpty = "Input Encoding Empty!";
inline constexpr std::string_view kOutEncodingEmpty = "Output Encoding Empty!";
inline constexpr std::string_view kPathEmpty = "Διαδρομή ανίχνευσης Empty!";
inline constexpr std::string_view kPathCannotCreate = "Διαδρομή ανίχνευσης Σφάλμα εισόδου!";
inline constexpr std::string_view kDecimalEmpty = "Decimal Symbol Empty!";
// The address box only takes what its mask allows; an address left half typed is
// refused with the same wording as the folder's input error.
inline constexpr std::string_view kIPInvalid = "Διεύθυνση (IP) Σφάλμα εισόδου!";
inline constexpr std::string_view kApplyDone = "Αποδοχή-Απόκρυψη %s, %s";

// End-of-day dialog.
inline constexpr std::string_view kTransferQuestion = "ΕΠΙΒΕΒΑΙΩΣΗ ΜΕΤΑΦΟΡΑΣ ΔΕΔΟΜΕΝΩΝ ?";

// About box.
inline constexpr std::string_view kDefaultVersion = "Version: V1.0.0.0";

}  // namespace meridox::app::text
