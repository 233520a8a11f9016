// Checks the three shipped string tables, read through the embedded-resource loaders.
#include "strings/CTevnoTools.h"
#include "strings/StringManager.h"
#include "strings/StringTableResource.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using Languages = std::set<std::string>;

struct ShippedTable {
    int resourceId;
    const char* section;
    Languages languages;
    std::vector<std::string> ids;
    std::map<std::string, Languages> exceptions;
};

const std::vector<ShippedTable>& Tables() {
    static const std::vector<ShippedTable> tables{
        {136,
         "default",
         {"de", "en"},
         {"IDS_OK",
          "IDS_CANCEL",
          "IDS_WIZBACK",
          "IDS_WIZNEXT",
          "IDS_FINISH",
          "IDS_START",
          "IDS_RESTORE",
          "IDS_MOVE",
          "IDS_MINIMIZE",
          "IDS_CLOSE",
          "IDS_LANGUAGE",
          "IDS_LANGUAGE_GERMAN",
          "IDS_LANGUAGE_ENGLISH",
          "IDS_ABOUTBOX",
          "IDS_AUTHOR",
          "IDS_FIRMWARE_FILTER",
          "IDS_FIRMWARE_PROMPT",
          "IDS_FILENAME",
          "IDS_FILETYPE",
          "IDS_SEARCH_IN",
          "IDS_SAVE_IN",
          "IDS_HEADER_TITLE",
          "IDS_HEADER_SUBTITLE1",
          "IDS_HEADER_SUBTITLE2",
          "IDS_HEADER_SUBTITLE3",
          "IDS_HEADER_SUBTITLE4",
          "IDS_IPADDRESS_LABEL",
          "IDS_LOG_CONNECTION_OPEN_SUCCESS",
          "IDS_LOG_CONNECTION_OPEN_FAILURE",
          "IDS_LOG_GET_CURRENT_STATUS",
          "IDS_LOG_GET_BRIDGE_VERSION",
          "IDS_GET_DEVICE_INFO",
          "IDS_ZELTA_CONNECTED",
          "IDS_UPDATELOADER_RUNNING",
          "IDS_START_UPDATE_FROM_UPDATELOADER",
          "IDS_START_UPDATE_FROM_BRIDGE",
          "IDS_FLASHING_ENCODER_DEVICE_DECODER",
          "IDS_FLASHING_DECODER_DEVICE_ENCODER",
          "IDS_FLASHING_DECODER_DEVICE_STEREO_GENERATOR",
          "IDS_UPDATELOADER_UPDATE_NEEDED_BRN",
          "IDS_UPDATELOADER_UPDATE_NEEDED",
          "IDS_UPDATELOADER_UPDATE_NEEDED2",
          "IDS_START_UPDATELOADER_UPDATE",
          "IDS_DOWNGRADE_NOT_POSSIBLE_BRN",
          "IDS_DOWNGRADE_NOT_POSSIBLE",
          "IDS_NETOS_VERSION_OF_FIRMWARE",
          "IDS_CONNECTIONERROR",
          "IDS_COMMUNICATION_PROBLEMS",
          "IDS_CONNECTING_TO_ZELTA",
          "IDS_CURRENT_FIRMWARE_VERSION",
          "IDS_FIRMWARE_VERSION_TO_FLASH",
          "IDS_DEVICE_TYPE",
          "IDS_SERIAL_NUMBER",
          "IDS_START_UPDATELOADER",
          "IDS_SHOW_LOGFILE",
          "IDS_STARTING_UPDATELOADER",
          "IDS_DOWNLOADING_UPDATELOADER",
          "IDS_DOWNLOADING_FIRMWARE",
          "IDS_LOG_STARTING_UPDATE",
          "IDS_CONNECTING_UPDATELOADER",
          "IDS_UPDATELOADER_VERSION",
          "IDS_LOG_GET_STATUS_AND_VERSION",
          "IDS_STEP_UPDATELOADER_UPDATE",
          "IDS_STEP_UPDATELOADER_UPDATE_V2",
          "IDS_STEP_APPLICATION_UPDATE",
          "IDS_LOG_RESET_FLASH_DATA",
          "IDS_LOG_SET_FLASH_OFFSET_START_FLASH",
          "IDS_FLASHING",
          "IDS_LOG_AWAIT_FLASH_END",
          "IDS_RESTARTING_DEVICE",
          "IDS_LOG_GET_STATUS_AND_VERSION2",
          "IDS_SUCCESS",
          "IDS_FLASHING_FAILED",
          "IDS_FILE_OPEN_ERROR",
          "IDS_FILE_READ_ERROR",
          "IDS_BIOS_LOAD_ERROR",
          "IDS_UPDATE_LOADER_NOT_RUNNING",
          "IDS_CANNOT_CONNECT_UPDATE_LOADER",
          "IDS_SENDING_FIRMWARE_ERROR",
          "IDS_START_FLASHING_ERROR",
          "IDS_AWAITING_FLASH_END_TIMEOUT",
          "IDS_AWAITING_FLASH_END_ERROR",
          "IDS_RESTARTING_DEVICE_ERROR",
          "IDS_CANNOT_CONNECT_BRIDGE",
          "IDS_UPDATE_LOADER_RUNNING_AFTER_FLASH",
          "IDS_LOG_GET_MAC_ADDRESS",
          "IDS_LOG_GET_SERIAL_NUMBER",
          "IDS_LOG_SET_MAC_AND_REBOOT",
          "IDS_MAC_CORRECTED",
          "IDS_MAC_UNCORRECTED",
          "IDS_WRONG_MAC_FIRMWARE_TOO_OLD",
          "IDS_WRONG_MAC_ERROR_READING_SN",
          "IDS_WRONG_MAC_CORRECT_MAC_NOT_FOUND",
          "IDS_WRONG_MAC_ERROR_SETTING_MAC",
          "IDS_WRONG_MAC_ERROR_REBOOTING_ZELTA",
          "IDS_COMMAND_LINE_USAGE",
          "IDS_TOOLTIP_IPADDRESS",
          "IDS_TOOLTIP_PORT",
          "IDS_TOOLTIP_TIMEOUTS",
          "IDS_TOOLTIP_MENU",
          "IDS_PROGRESS_SENT",
          "IDS_PROGRESS_SENT_REMAINING",
          "IDS_PROGRESS_FLASH_POLL"},
         {}},
        {2055,
         "OrbelDialogs",
         {"de", "en"},
         {"IDS_SERIAL_CONNECTION",
          "IDS_TCP_CONNECTION",
          "IDS_COM_TIMEOUTS",
          "IDS_TCP_TIMEOUTS",
          "IDS_COM_TIMEOUT_SETTINGS",
          "IDS_TCP_TIMEOUT_SETTINGS",
          "IDS_DIALOG_IOSETTINGS",
          "IDS_EVEN_PARITY",
          "IDS_ODD_PARITY",
          "IDS_NO",
          "IDS_MARK_PARITY",
          "IDS_SPACE_PARITY",
          "IDS_PORT_SETTINGS",
          "IDS_BAUD_RATE",
          "IDS_DATA_BITS",
          "IDS_PARITY",
          "IDS_STOPP_BITS",
          "IDS_FLOW_CONTROL",
          "IDS_APPLY",
          "IDS_PROPERTIES_OF",
          "IDS_PING",
          "IDS_CHECK_CONNECTION",
          "IDS_CHECKING_BAUDRATE",
          "IDS_BAUDRATE_DETECTED",
          "IDS_BOOTLOADER_RUNNING",
          "IDS_CONNECTION_ERROR",
          "IDS_ABORTED",
          "IDS_PORTLOG_CLOSE",
          "IDS_COM_PORT",
          "IDS_PORTLOG_CLEAR",
          "IDS_COM_EXTENDED",
          "IDS_PORTLOG_PAUSE",
          "IDS_TO_CONNECT",
          "IDS_TO_WRITE",
          "IDS_NO_COMPORT_SELECTED",
          "IDS_TIMEOUT_RANGE",
          "IDS_TCP_PORT_RANGE",
          "IDS_NO_HOST_OR_IP",
          "IDS_TO_READ",
          "IDS_TCP_IP",
          "IDS_TCP_PORT",
          "IDS_TCP_PING_NOT_TESTED",
          "IDS_TCP_PING_ANSWER",
          "IDS_TCP_PING_NO_ANSWER",
          "IDS_TCP_PING_WAIT",
          "IDS_INVALID_VALUE",
          "IDS_VALID_INT_RANGE",
          "IDS_VALID_HEX_RANGE",
          "IDS_OK",
          "IDS_CANCEL",
          "IDS_RESTORE_BTN",
          "IDS_FILENAME",
          "IDS_FILETYPE",
          "IDS_SEARCH_IN",
          "IDS_SAVE_IN",
          "IDS_SAVE_PROMPT",
          "IDS_PORTLOG_AUTOSCROLL",
          "IDS_FILE_MENU",
          "IDS_CLIPBOARD_MENU",
          "IDS_SELECTION_MENU",
          "IDM_PORTLOG_CLIPBOARD_ALL",
          "IDM_PORTLOG_CLIPBOARD_SELECTION",
          "IDM_PORTLOG_SAVE_ALL",
          "IDM_PORTLOG_SAVE_SELECTION",
          "IDM_PORTLOG_SELECTALL",
          "IDM_PORTLOG_UNSELECTALL",
          "IDM_PORTLOG_INVERTSELECTION"},
         {}},
        {2056,
         "UECP_IO_Errors",
         {"de", "en", "fr"},
         {"IDS_ERR_OK",
          "IDS_ERR_CANCELLED_BY_USER",
          "IDS_ERR_OPEN_PARAMS_NOT_SET",
          "IDS_ERR_DEVICE_NOT_OPEN",
          "IDS_ERR_DEVICE_ALREADY_OPEN",
          "IDS_ERR_DEVICE_BUSY",
          "IDS_ERR_SEND_TIMEOUT",
          "IDS_ERR_SEND_BUFFER_FULL",
          "IDS_ERR_READ_TIMEOUT",
          "IDS_ERR_CONNECT",
          "IDS_ERR_CRC",
          "IDS_ERR_NO_ACK",
          "IDS_ERR_NO_ANSWER",
          "IDS_ERR_INVALID_PARAMETER",
          "IDS_ERR_UNEXPECTED_SIZE",
          "IDS_ERR_NOT_SUPPORTED",
          "IDS_ERR_NACK_UNDEFINED",
          "IDS_ERR_NACK_1",
          "IDS_ERR_NACK_2",
          "IDS_ERR_NACK_3",
          "IDS_ERR_NACK_4",
          "IDS_ERR_NACK_5",
          "IDS_ERR_NACK_6",
          "IDS_ERR_NACK_7",
          "IDS_ERR_NACK_8",
          "IDS_ERR_NACK_9",
          "IDS_ERR_NACK_10",
          "IDS_ERR_NACK_11",
          "IDS_ERR_NACK_12",
          "IDS_ERR_NACK_13",
          "IDS_ERR_NACK_20",
          "IDS_ERR_NACK_21",
          "IDS_ERR_UNKNOWN",
          "IDS_ERR_FILE_CREATE",
          "IDS_ERR_FILE_OPEN",
          "IDS_ERR_FILE_EOF",
          "IDS_ERR_FILE_READ",
          "IDS_ERR_FILE_WRITE",
          "IDS_ERR_FILE_FORMAT"},
         {{"IDS_ERR_DEVICE_BUSY", {"de", "en"}}}},
    };
    return tables;
}

// Entry name -> the languages it has, as the table file holds them.
std::map<std::string, Languages> EntriesOf(int resourceId, const std::string& section) {
    std::string bytes;
    EXPECT_TRUE(ReadStringTableResource(resourceId, bytes)) << resourceId;
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    EXPECT_EQ(document.Parse(bytes.data(), bytes.size()), tinyxml2::XML_SUCCESS) << resourceId;
    std::map<std::string, Languages> entries;
    const tinyxml2::XMLElement* root = document.RootElement();
    const tinyxml2::XMLElement* table = root ? root->FirstChildElement("stringtable") : nullptr;
    const tinyxml2::XMLElement* sectionElement =
        table ? table->FirstChildElement(section.c_str()) : nullptr;
    EXPECT_NE(sectionElement, nullptr) << resourceId << " " << section;
    for (const tinyxml2::XMLElement* entry = sectionElement ? sectionElement->FirstChildElement()
                                                            : nullptr;
         entry; entry = entry->NextSiblingElement()) {
        Languages& languages = entries[entry->Name()];
        for (const tinyxml2::XMLElement* text = entry->FirstChildElement(); text;
             text = text->NextSiblingElement()) {
            languages.insert(text->Name());
        }
    }
    return entries;
}

std::vector<std::string> Placeholders(const std::string& text) {
    static const std::regex placeholder("%[-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%]");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        found.push_back(it->str());
    }
    return found;
}

class StringTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTevnoTools::Initialize(0);
        StringManager& strings = StringManager::Instance();
        ASSERT_TRUE(strings.LoadStringTable(136));
        ASSERT_TRUE(strings.AddStringTable(2055));
        ASSERT_TRUE(strings.AddStringTable(2056));
    }
};

TEST_F(StringTablesTest, EveryEntryWithExactlyItsLanguages) {
    for (const ShippedTable& table : Tables()) {
        const auto entries = EntriesOf(table.resourceId, table.section);
        std::set<std::string> expectedIds(table.ids.begin(), table.ids.end());
        std::set<std::string> actualIds;
        for (const auto& [id, languages] : entries) {
            actualIds.insert(id);
        }
        EXPECT_EQ(actualIds, expectedIds) << table.section;

        for (const std::string& id : table.ids) {
            const auto exception = table.exceptions.find(id);
            const Languages& expected =
                exception == table.exceptions.end() ? table.languages : exception->second;
            const auto entry = entries.find(id);
            ASSERT_NE(entry, entries.end()) << id;
            EXPECT_EQ(entry->second, expected) << table.section << " " << id;
            for (const std::string& language : expected) {
                const std::string text =
                    StringManager::Instance().GetString(id, table.section, language);
                EXPECT_FALSE(text.empty() || text == id) << id << " " << language;
            }
        }
    }
}

TEST_F(StringTablesTest, LanguagesAgreeOnPlaceholdersAndOuterBlanks) {
    for (const ShippedTable& table : Tables()) {
        for (const std::string& id : table.ids) {
            const std::string english =
                StringManager::Instance().GetString(id, table.section, "en");
            ASSERT_FALSE(english.empty()) << id;
            for (const std::string& language : table.languages) {
                const std::string text =
                    StringManager::Instance().GetString(id, table.section, language);
                if (text == id || text.empty()) {
                    continue; // a missing text; reported by the test above
                }
                EXPECT_EQ(Placeholders(text), Placeholders(english)) << id << " " << language;
                EXPECT_EQ(text.front() == ' ', english.front() == ' ') << id << " " << language;
                EXPECT_EQ(text.back() == ' ', english.back() == ' ') << id << " " << language;
            }
        }
    }
}

TEST_F(StringTablesTest, TellingTexts) {
    struct Telling {
        const char* section;
        const char* id;
        const char* language;
        const char* text;
    };
    const Telling cases[] = {
        {"default", "IDS_CLOSE", "en", "Close\tAlt+F4"},
        {"default", "IDS_ABOUTBOX", "en", "&About ZeltaUpdater..."},
        {"default", "IDS_ABOUTBOX", "de", "&Über ZeltaUpdater..."},
        {"default", "IDS_LOG_CONNECTION_OPEN_FAILURE", "en", "Failed to open connection: "},
        {"default", "IDS_NETOS_VERSION_OF_FIRMWARE", "en", "Net+OS version of firmware: "},
        {"default", "IDS_ZELTA_CONNECTED", "en", "Connection to Zelta module (%s:%d) established."},
        {"default", "IDS_START_UPDATE_FROM_BRIDGE", "en",
         "Press \"Next >\" to start the update operation, \"Cancel\" to quit without changes."},
        {"default", "IDS_UPDATELOADER_UPDATE_NEEDED_BRN", "en",
         "ATTENTION: Before flashing the new Zelta firmware an update of the Updateloader is "
         "required.\nAfter the update a downgrade to Zelta firmware versions <3.0 is no longer "
         "possible!"},
        {"default", "IDS_FIRMWARE_FILTER", "en", "Firmware files (*.bin)|*.bin||"},
        {"default", "IDS_START", "en", "<< Start"},
        {"default", "IDS_OK", "en", "OK"},
        {"default", "IDS_COMMAND_LINE_USAGE", "en",
         "Valid command line parameters:\n\nfirmware file\nPath of the firmware file to "
         "flash\n\n/IP:ipaddr[,port]\nipaddr: IP address\nport: port number; Default is "
         "6666\n\n/L:[de|en]\nSpecifies the User Interface language\nde: german\nen: english"},
        {"OrbelDialogs", "IDS_OK", "en", "&OK"},
        {"OrbelDialogs", "IDS_TO_READ", "en", "Receive"},
        {"OrbelDialogs", "IDS_VALID_HEX_RANGE", "en", "The valid range lies between %X and %X"},
        {"UECP_IO_Errors", "IDS_ERR_NACK_2", "en",
         "ACK - Message was not received (derived from the sequence counter)"},
        {"UECP_IO_Errors", "IDS_ERR_UNKNOWN", "en", "unknown error"},
        {"UECP_IO_Errors", "IDS_ERR_DEVICE_BUSY", "en", "device is busy"},
        {"UECP_IO_Errors", "IDS_ERR_DEVICE_BUSY", "fr", "IDS_ERR_DEVICE_BUSY"},
    };
    for (const Telling& c : cases) {
        EXPECT_EQ(StringManager::Instance().GetString(c.id, c.section, c.language), c.text)
            << c.section << " " << c.id << " " << c.language;
    }
}

} // namespace
