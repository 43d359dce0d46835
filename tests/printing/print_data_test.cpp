// Order print data: a realistic Korean order read byte for byte, the shop
// data and origin notice sources, and the results for bad input.
#include "foundation/json_ctrl.h"
#include "printing/print_data.h"
#include "printing/printer_setting.h"
#include "tests/support/cp949.h"
#include "tests/support/program_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <string>

namespace {

std::string DataFile(const std::string& strName)
{
    static const std::filesystem::path dataDir =
        std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data";
    std::string strText = testsupport::ReadWholeFile((dataDir / strName).string());
    EXPECT_FALSE(strText.empty()) << "missing fixture " << strName;
    return strText;
}

using Getter = const std::string& (CPrintData::*)() const;

struct SField
{
    const char* pszName;
    Getter pfnGet;
};

// Every order member of the record, in reading order.
const SField kOrderFields[] = {
    {"serviceType", &CPrintData::GetServiceType},
    {"subServiceType", &CPrintData::GetSubServiceType},
    {"reserveFlag", &CPrintData::GetReserveFlag},
    {"nickname", &CPrintData::GetNickname},
    {"telNo", &CPrintData::GetTelNo},
    {"safeTelNo", &CPrintData::GetSafeTelNo},
    {"no", &CPrintData::GetNo},
    {"desc", &CPrintData::GetDesc},
    {"waitNo", &CPrintData::GetWaitNo},
    {"payTime", &CPrintData::GetPayTime},
    {"deferPayType", &CPrintData::GetDeferPayType},
    {"tableNo", &CPrintData::GetTableNo},
    {"packingWords", &CPrintData::GetPackingWords},
    {"pickupTime", &CPrintData::GetPickupTime},
    {"ymd", &CPrintData::GetYmd},
    {"hms", &CPrintData::GetHms},
    {"reqMemo", &CPrintData::GetReqMemo},
    {"deliveryMemo", &CPrintData::GetDeliveryMemo},
    {"addr", &CPrintData::GetAddr},
    {"addrDetail", &CPrintData::GetAddrDetail},
    {"roadAddr", &CPrintData::GetRoadAddr},
    {"roadAddrDetail", &CPrintData::GetRoadAddrDetail},
    {"deliveryTime", &CPrintData::GetDeliveryTime},
    {"deliveryTelNo", &CPrintData::GetDeliveryTelNo},
    {"sourceType", &CPrintData::GetSourceType},
    {"sourceTypeName", &CPrintData::GetSourceTypeName},
    {"channelType", &CPrintData::GetChannelType},
};
const SField kAmountFields[] = {
    {"amt", &CPrintData::GetAmt},
    {"deliveryAmt", &CPrintData::GetDeliveryAmt},
    {"discountAmt", &CPrintData::GetDiscountAmt},
    {"payAmt", &CPrintData::GetPayAmt},
};
const SField kStoreFields[] = {
    {"Addr", &CPrintData::GetStoreAddr}, {"Name", &CPrintData::GetStoreName},
    {"BossNM", &CPrintData::GetBossNM},  {"BizNo", &CPrintData::GetBizNo},
    {"Tel", &CPrintData::GetStoreTel},   {"COA", &CPrintData::GetCOA},
};

class PrintDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.StartLog());
        m_nOldPrintOrigin = PrinterSetting().GetPrintOrigin();
        PrinterSetting().SetPrintOrigin(1);
    }
    void TearDown() override { PrinterSetting().SetPrintOrigin(m_nOldPrintOrigin); }

    void InstallShopFiles()
    {
        m_Folder.WriteFile("Config.ini", DataFile("store/Config.ini"));
        m_Folder.WriteFile("Store_Orgin.dat", DataFile("store/Store_Orgin.dat"));
    }
    std::string Log() const { return m_Folder.ReadCurrentLog(); }

    testsupport::CTempProgramFolder m_Folder;
    int m_nOldPrintOrigin = 1;
};

// Compares each field of a table with its expected text.
template <size_t N>
void ExpectFields(const CPrintData& data, const SField (&fields)[N],
                  const char* const (&pszExpected)[N])
{
    for (size_t i = 0; i < N; ++i) {
        const SField& field = fields[i];
        const std::string strActual = (data.*field.pfnGet)();
        EXPECT_EQ(strActual, pszExpected[i])
            << field.pszName << ": " << testsupport::Utf8FromCp949(strActual) << " ("
            << testsupport::HexBytes(strActual) << ")";
    }
}

// Reads one member of a list entry, as the documents do.
std::string EntryValue(const std::string& strEntry, const char* pszKey, int nValType)
{
    CjsonCtrl json;
    EXPECT_TRUE(json.SetRecvDataLocal(strEntry, 0, 1)) << strEntry;
    return json.JsonValue("", pszKey, JSON_TYPE_ROOT_MEMBER, nValType);
}

std::string EntryList(const std::string& strEntry, const char* pszTree, const char* pszKey,
                      int nValType)
{
    CjsonCtrl json;
    EXPECT_TRUE(json.SetRecvDataLocal(strEntry, 0, 1)) << strEntry;
    return json.JsonValue(pszTree, pszKey, JSON_TYPE_ARRAY_MEMBERS, nValType);
}

TEST_F(PrintDataTest, RealisticDeliveryOrderKeepsEveryByte)
{
    InstallShopFiles();
    const std::string strOrder = DataFile("orders/delivery_order.json");
    CPrintData data;
    ASSERT_EQ(data.SetJsonData(strOrder), 0);
    EXPECT_EQ(data.IsSetJsonData(), 1);

    const char* pszExpected[] = {
        "DELIVERY",
        "DELIVERY",
        "N",
        "배고픈 호랑이",
        "01012345678",
        "050712345678",
        "20231208093308000123",
        "양념치킨 외 2건",
        "57",
        "IN_ADVANCE",
        "",
        "",
        "수저 포크 필요해요",
        "",
        "20231208",
        "093308",
        "덜 맵게 해주세요\r\n리뷰 이벤트 참여합니다 (콜라)",
        "문 앞에 두고 벨 눌러주세요\r\n아기가 자고 있어요",
        "경기도 성남시 분당구 정자동 178-1",
        "한솔마을 105동 1203호",
        "경기도 성남시 분당구 정자일로 95",
        "105동 1203호 (정자동, 한솔마을)",
        "202312081010",
        "050712345678",
        "APP",
        "오더픽 앱",
        "ORDER_PICK",
    };
    ExpectFields(data, kOrderFields, pszExpected);
    const char* pszAmounts[] = {"41500", "3000", "4500", "40000"};
    ExpectFields(data, kAmountFields, pszAmounts);
    const char* pszStore[] = {
        "경기도 성남시 분당구 정자일로 100 1층",
        "젤코르 치킨 정자점",
        "홍길동",
        "123-45-67890",
        "031-123-4567",
        "원산지 표시\r\n닭고기(국내산), 쌀(국내산)\r\n김치: 배추(중국산), 고춧가루(국내산)\r\n",
    };
    ExpectFields(data, kStoreFields, pszStore);

    // Menus: one entry per element, in order, each a JSON text of its own
    // with the Korean bytes as they came (no \u escapes).
    ASSERT_EQ(data.GetMenuCount(), 3);
    EXPECT_EQ(data.GetMenu(3), "");
    EXPECT_NE(data.GetMenu(0).find("양념치킨 (순살)"), std::string::npos) << data.GetMenu(0);
    struct
    {
        const char* pszName;
        const char* pszCnt;
        const char* pszAmt;
        const char* pszOptionNames;
        const char* pszOptionGroups;
    } const menus[] = {
        {"양념치킨 (순살)", "1", "21000", "3|뼈 → 순살 변경|치즈볼 5개|콜라 1.25L|",
         "3|부위 선택|사이드 추가|음료|"},
        {"후라이드 반 + 간장 반", "1", "18000", "2|소스 추가 (갈릭디핑)|무 추가|",
         "2||사이드 추가|"},
        {"감자튀김", "2", "6000", "0|", "0|"},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::string strMenu = data.GetMenu(i);
        EXPECT_EQ(EntryValue(strMenu, "menuName", JSON_VAL_STRING), menus[i].pszName);
        EXPECT_EQ(EntryValue(strMenu, "cnt", JSON_VAL_INT), menus[i].pszCnt);
        EXPECT_EQ(EntryValue(strMenu, "amt", JSON_VAL_INT), menus[i].pszAmt);
        EXPECT_EQ(EntryList(strMenu, "options", "name", JSON_VAL_STRING), menus[i].pszOptionNames);
        EXPECT_EQ(EntryList(strMenu, "options", "groupName", JSON_VAL_STRING),
                  menus[i].pszOptionGroups);
    }

    ASSERT_EQ(data.GetDiscountCount(), 3);
    const char* pszTypes[] = {"MEMBERSHIP_COUPON", "MEMBERSHIP_POINT", "TAKEOUT"};
    const char* pszCompany[] = {"500", "0", "0"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(EntryValue(data.GetDiscount(i), "type", JSON_VAL_STRING), pszTypes[i]);
        EXPECT_EQ(EntryValue(data.GetDiscount(i), "companyAmt", JSON_VAL_INT), pszCompany[i]);
    }
}

// Rebuilding the order from the record with the document builder and
// reading it again gives the same record, byte for byte.
TEST_F(PrintDataTest, RoundTripThroughDocumentBuilder)
{
    InstallShopFiles();
    for (const char* pszFixture : {"orders/delivery_order.json", "orders/pickup_order.json"}) {
        SCOPED_TRACE(pszFixture);
        CPrintData first;
        ASSERT_EQ(first.SetJsonData(DataFile(pszFixture)), 0);

        CjsonCtrl builder;
        for (const SField& field : kOrderFields) {
            builder.SetValue(field.pszName, (first.*field.pfnGet)(), JSON_SET_STRING);
        }
        for (const SField& field : kAmountFields) {
            builder.SetValue(field.pszName, (first.*field.pfnGet)(), JSON_SET_INT);
        }
        for (const std::string& strMenu : first.GetMenus()) {
            builder.SetJsonObject("menus", strMenu);
        }
        for (const std::string& strDiscount : first.GetDiscounts()) {
            builder.SetJsonObject("discounts", strDiscount);
        }
        builder.AppendCurrent();
        // The builder makes an array of documents; the order is its element.
        CjsonCtrl reader;
        ASSERT_TRUE(reader.SetRecvDataLocal(builder.GetJsonString(), 0, 1));
        reader.JsonValue("", "", JSON_TYPE_LIST_ROOT, 0);
        std::vector<std::string> vecOrders;
        reader.GetArray(vecOrders);
        ASSERT_EQ(vecOrders.size(), 1u);

        CPrintData second;
        ASSERT_EQ(second.SetJsonData(vecOrders[0]), 0);
        for (const SField& field : kOrderFields) {
            EXPECT_EQ((second.*field.pfnGet)(), (first.*field.pfnGet)()) << field.pszName;
        }
        for (const SField& field : kAmountFields) {
            EXPECT_EQ((second.*field.pfnGet)(), (first.*field.pfnGet)()) << field.pszName;
        }
        EXPECT_EQ(second.GetMenus(), first.GetMenus());
        EXPECT_EQ(second.GetDiscounts(), first.GetDiscounts());
    }
}

// An order handed over parsed (an element of an event's array) reads as
// its styled text does, the text the array's elements were once passed on
// as: the same result, record, lists and log lines, byte for byte.
TEST_F(PrintDataTest, ParsedOrderReadsAsItsText)
{
    InstallShopFiles();
    std::vector<std::string> vecTexts;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(ZELKOR_SOURCE_DIR) / "tests" / "data" / "orders")) {
        vecTexts.push_back(testsupport::ReadWholeFile(entry.path().string()));
    }
    // Escapes, a real amount, a member of a wrong type, not an object.
    vecTexts.push_back("{\"no\":\"1\\u0001\\\"\\\\/\",\"amt\":1.5e300,\"payAmt\":\"x\","
                       "\"reqMemo\":\"\xB0\xA1\\r\\n\",\"menus\":[{\"cnt\":-0.25}]}");
    vecTexts.push_back("[{\"no\":\"1\"}]");
    vecTexts.push_back("\"\xB0\xA1\"");

    // The lines a call wrote, without their time stamps.
    size_t nSeen = Log().size();
    auto newLines = [&] {
        const std::string strLog = Log();
        std::string strLines = strLog.substr(nSeen);
        nSeen = strLog.size();
        // A stamp is "[HH:MM:SS.mmm]"; its digits become '0'.
        auto isStamp = [&](size_t nAt) {
            static const char kShape[] = "[00:00:00.000]";
            for (size_t i = 0; i + 1 < sizeof(kShape); ++i) {
                const char ch = strLines[nAt + i];
                if (kShape[i] == '0' ? (ch < '0' || ch > '9') : ch != kShape[i]) {
                    return false;
                }
            }
            return true;
        };
        for (size_t nAt = 0; nAt + 14 <= strLines.size(); ++nAt) {
            if (isStamp(nAt)) {
                for (size_t i : {1, 2, 4, 5, 7, 8, 10, 11, 12}) {
                    strLines[nAt + i] = '0';
                }
            }
        }
        return strLines;
    };
    for (const std::string& strFile : vecTexts) {
        SCOPED_TRACE(testsupport::Utf8FromCp949(strFile.substr(0, 80)));
        CjsonCtrl reader;
        ASSERT_TRUE(reader.SetRecvDataLocal(strFile, 0, 0));
        const Json::Value order = reader.TakeRoot();
        const std::string strText = CjsonCtrl::StyledText(order);
        newLines();

        CPrintData fromText;
        const int nTextResult = fromText.SetJsonData(strText);
        const std::string strTextLog = newLines();
        CPrintData fromValue;
        const int nValueResult = fromValue.SetJsonData(order);
        const std::string strValueLog = newLines();

        EXPECT_EQ(nValueResult, nTextResult);
        EXPECT_EQ(fromValue.IsSetJsonData(), fromText.IsSetJsonData());
        EXPECT_EQ(strValueLog, strTextLog);
        EXPECT_NE(strValueLog.find("RECV_DATA"), std::string::npos) << strValueLog;
        auto expectSame = [&](const auto& fields) {
            for (const SField& field : fields) {
                EXPECT_EQ((fromValue.*field.pfnGet)(), (fromText.*field.pfnGet)()) << field.pszName;
            }
        };
        expectSame(kOrderFields);
        expectSame(kAmountFields);
        expectSame(kStoreFields);
        EXPECT_EQ(fromValue.GetMenuValues(), fromText.GetMenuValues());
        EXPECT_EQ(fromValue.GetMenus(), fromText.GetMenus());
        EXPECT_EQ(fromValue.GetDiscounts(), fromText.GetDiscounts());
    }
}

TEST_F(PrintDataTest, OrderWithoutMembers)
{
    CPrintData data;
    EXPECT_EQ(data.IsSetJsonData(), 0);
    ASSERT_EQ(data.SetJsonData(std::string("{}")), 0);
    EXPECT_EQ(data.IsSetJsonData(), 1);
    for (const SField& field : kOrderFields) {
        EXPECT_EQ((data.*field.pfnGet)(), "") << field.pszName;
    }
    for (const SField& field : kAmountFields) {
        EXPECT_EQ((data.*field.pfnGet)(), "0") << field.pszName;
    }
    // No Config.ini and no notice file: empty shop data, no error.
    for (const SField& field : kStoreFields) {
        EXPECT_EQ((data.*field.pfnGet)(), "") << field.pszName;
    }
    EXPECT_EQ(data.GetMenuCount(), 0);
    EXPECT_EQ(data.GetDiscountCount(), 0);
    EXPECT_EQ(Log().find("[ERROR]"), std::string::npos) << Log();
}

TEST_F(PrintDataTest, ResultsForBadInput)
{
    struct
    {
        const char* pszName;
        const char* pszText; // null: no text
        int nResult;
        const char* pszLog;
    } const cases[] = {
        {"no text", nullptr, 5, "[ERROR] [CPrintData::SetJsonData] Input Param NULL"},
        {"empty text", "", 2, "[ERROR] [CPrintData::SetJsonData] SetRecvDataLocal []"},
        {"malformed", "{\"no\":\"1\",", 2,
         "[CPrintData::SetJsonData] SetRecvDataLocal [{\"no\":\"1\",]"},
        {"root a number", "5", 2, "[CPrintData::SetJsonData] Order Is Not A JSON Object [5]"},
        {"root an array", "[{\"no\":\"1\"}]", 2, "Order Is Not A JSON Object"},
        {"root a string", "\"주문\"", 2, "Order Is Not A JSON Object"},
        {"root null", "null", 2, "Order Is Not A JSON Object"},
        {"order without members", "{}", 0, nullptr},
        {"amount as real", "{\"amt\":15000.9}", 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CPrintData data;
        int nResult = 0;
        if (c.pszText == nullptr) {
            nResult = data.SetJsonData(nullptr);
        } else {
            nResult = data.SetJsonData(std::string(c.pszText));
        }
        EXPECT_EQ(nResult, c.nResult);
        EXPECT_EQ(data.IsSetJsonData(), c.nResult == 0 ? 1 : 0);
        if (c.nResult != 0) {
            EXPECT_EQ(data.GetNo(), "");
            EXPECT_EQ(data.GetAmt(), "");
            EXPECT_EQ(data.GetMenuCount(), 0);
        }
        if (c.pszLog != nullptr) {
            EXPECT_NE(Log().find(c.pszLog), std::string::npos) << c.pszLog;
        }
    }
}

// A member of the wrong type reads as missing, with a WARN line naming it;
// the rest of the order is read as sent, so the order still prints.
TEST_F(PrintDataTest, WrongTypedMemberReadsAsMissing)
{
    struct
    {
        const char* pszName;
        const char* pszMember;
        const char* pszValue; // JSON text put in place of the member
        Getter pfnGet;
        const char* pszRead;
        const char* pszLog;
    } const cases[] = {
        {"amount as text with a comma", "amt", "\"15,000\"", &CPrintData::GetAmt, "0",
         "Member [amt] Of A Wrong Type Read As Missing"},
        {"amount as an object", "payAmt", "{\"v\":1}", &CPrintData::GetPayAmt, "0",
         "Member [payAmt] Of A Wrong Type"},
        {"number where text belongs", "no", "20231208", &CPrintData::GetNo, "",
         "Member [no] Of A Wrong Type"},
        {"object where text belongs", "reqMemo", "{\"a\":1}", &CPrintData::GetReqMemo, "",
         "Member [reqMemo] Of A Wrong Type"},
        {"menus not a list", "menus", "\"양념치킨\"", nullptr, nullptr,
         "Member [menus] Is Not A List, Read As Missing"},
    };
    const std::string strOrder = DataFile("orders/pickup_order.json");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        Json::Value order;
        ASSERT_TRUE(Json::Reader().parse(strOrder, order));
        Json::Value odd;
        ASSERT_TRUE(Json::Reader().parse(c.pszValue, odd));
        order[c.pszMember] = odd;
        CPrintData data;
        ASSERT_EQ(data.SetJsonData(CjsonCtrl::StyledText(order)), 0);
        EXPECT_EQ(data.IsSetJsonData(), 1);
        if (c.pfnGet != nullptr) {
            EXPECT_EQ((data.*c.pfnGet)(), c.pszRead);
            EXPECT_EQ(data.GetMenuCount(), 2);
        } else {
            EXPECT_EQ(data.GetMenuCount(), 0);
        }
        // The members around it are read as sent.
        EXPECT_EQ(data.GetNickname(), "김밥러버");
        if (std::string(c.pszMember) != "no") {
            EXPECT_EQ(data.GetNo(), "20231208120501000456");
        }
        const std::string strLog = Log();
        EXPECT_NE(strLog.find(std::string("[WARN ] [CPrintData::SetJsonData] ") + c.pszLog),
                  std::string::npos)
            << c.pszLog;
        EXPECT_EQ(strLog.find("Json Exception"), std::string::npos);
    }
}

// A failed read leaves the order of the last good read untouched, whole.
TEST_F(PrintDataTest, FailedReadKeepsPreviousOrder)
{
    CPrintData data;
    ASSERT_EQ(data.SetJsonData(DataFile("orders/pickup_order.json")), 0);
    ASSERT_EQ(data.SetJsonData(std::string("[{\"no\":\"X\",\"nickname\":\"새 손님\"}]")), 2);
    EXPECT_EQ(data.GetNo(), "20231208120501000456");
    EXPECT_EQ(data.GetNickname(), "김밥러버");
    EXPECT_EQ(data.GetAmt(), "15000");
    EXPECT_EQ(data.GetDeliveryAmt(), "0"); // absent in the fixture
    EXPECT_EQ(data.GetMenuCount(), 2);
    EXPECT_EQ(data.GetDiscountCount(), 0);
}

TEST_F(PrintDataTest, OriginNoticeSources)
{
    const std::string strHugeAscii(8 * 1024 * 1024, 'x');
    // 'a' then syllables: the 64 KiB mark falls on a lead byte.
    std::string strHugeKorean = "a";
    while (strHugeKorean.size() < 70000) {
        strHugeKorean += "가";
    }
    const std::string strTwoLines = std::string("쇠고기: 호주산") + "\\r\\n" + "돼지고기: 국내산";
    struct
    {
        const char* pszName;
        int nPrintOrigin;
        bool bNoticeFile;
        std::string strNotice;
        const char* pszConfigCOA; // null: no Config.ini
        std::string strExpected;
    } const cases[] = {
        {"notice file", 1, true, strTwoLines, "쌀: 국내산", "쇠고기: 호주산\r\n돼지고기: 국내산"},
        {"empty notice file", 1, true, "", "쌀: 국내산\\r\\n김치: 국내산",
         "쌀: 국내산\r\n김치: 국내산"},
        {"no notice file", 1, false, "", "쌀: 국내산", "쌀: 국내산"},
        {"no files at all", 1, false, "", nullptr, ""},
        {"origin not printed", 0, true, strTwoLines, "쌀: 국내산", ""},
        {"several and lone marks", 1, true, "A\\r\\n\\r\\nB\\rC\\nD\\r\\n", nullptr,
         "A\r\n\r\nB\\rC\\nD\r\n"},
        {"text stops at NUL", 1, true, std::string("앞부분\0뒷부분", 13), nullptr, "앞부분"},
        {"huge notice is cut", 1, true, strHugeAscii, nullptr, std::string(64 * 1024, 'x')},
        {"cut keeps whole characters", 1, true, strHugeKorean, nullptr,
         strHugeKorean.substr(0, 64 * 1024 - 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        std::filesystem::remove(m_Folder.File("Config.ini"));
        std::filesystem::remove(m_Folder.File("Store_Orgin.dat"));
        if (c.bNoticeFile) {
            m_Folder.WriteFile("Store_Orgin.dat", c.strNotice);
        }
        if (c.pszConfigCOA != nullptr) {
            m_Folder.WriteFile("Config.ini",
                               std::string("[STORE]\r\nCOA=") + c.pszConfigCOA + "\r\n");
        }
        PrinterSetting().SetPrintOrigin(c.nPrintOrigin);
        CPrintData data;
        ASSERT_EQ(data.SetJsonData(std::string("{}")), 0);
        EXPECT_EQ(data.GetCOA().size(), c.strExpected.size());
        EXPECT_TRUE(data.GetCOA() == c.strExpected)
            << testsupport::Utf8FromCp949(data.GetCOA().substr(0, 200));
    }
    EXPECT_NE(Log().find("[INFO ] [CPrintData::SetJsonData] count : 65536 size :8388608, xxx"),
              std::string::npos);
}

TEST_F(PrintDataTest, ShopValuesAreCutAt2047Bytes)
{
    m_Folder.WriteFile("Config.ini", "[STORE]\nAddr=" + std::string(3000, 'a') +
                                         "\nName=" + std::string(2047, 'n') + "\n");
    CPrintData data;
    ASSERT_EQ(data.SetJsonData(std::string("{}")), 0);
    EXPECT_EQ(data.GetStoreAddr(), std::string(2047, 'a'));
    EXPECT_EQ(data.GetStoreName(), std::string(2047, 'n'));
}

} // namespace
