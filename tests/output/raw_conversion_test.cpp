// The EPSON conversion as exact bytes: each case is a layout and every byte the printer gets.
#include "output/raw_conversion.h"

#include <gtest/gtest.h>

#include "tests/support/escpos_reader.h"

namespace kestrane {
namespace {

using testing::escPosListing;
using testing::hex;
using namespace std::string_literals;

const std::string kInit = hex("1B 40 0A");
const std::string kLeft = hex("1B 61 30");
const std::string kCentre = hex("1B 61 31");
const std::string kBoldOn = hex("1B 45 31");
const std::string kBoldOff = hex("1B 45 30");
const std::string kRule = std::string(41, '_') + "\n\n";
const std::string kLogo = hex("1D 28 4C 06 00 30 45 30 31 01 01 0A");
const std::string kBrand = hex("1D 28 4C 06 00 30 45 30 30 01 01 0A");
const std::string kQrImage = hex("0A 1D 28 4C 06 00 30 45 30 30 01 01 0A");
const std::string kBottom = hex("0A 1D 28 4C 06 00 30 45 30 32 01 01 0A");
const std::string kCut = hex("1D 56 42 1E");

// A barcode row's block for `data` (12 bytes), or the block without the barcode command.
std::string barcode(const std::string& data) {
    return hex("0A 1B 61 31 1D 68 50 1D 48 32 1D 6B 46 0C") + data + "\n" + kCut;
}
const std::string kBarcodeWithoutSymbol = hex("0A 1B 61 31 1D 68 50 1D 48 32 0A") + kCut;

std::string convert(const std::string& layout) {
    StringSink sink;
    writeRawReceipt(layout, sink);
    return sink.bytes();
}

struct Case {
    const char* what;
    std::string layout;
    std::string bytes;  // after the initialise command
};

void expectBytes(const Case& c) {
    const std::string got = convert(c.layout);
    EXPECT_EQ(got, kInit + c.bytes) << c.what << "\n got:\n"
                                    << escPosListing(got) << " expected:\n"
                                    << escPosListing(kInit + c.bytes);
}

TEST(RawConversionTest, EdgeCasesOfTheConversion) {
    const Case cases[] = {
        {"labels line up at the longest label",
         "<table><tr><td>Total Amount: 1999.00</td></tr><tr><td>Change: 0.00</td></tr></table>",
         kLeft + "Total Amount: 1999.00\n" + kLeft + "Change      : 0.00\n"},
        {"a rule row has no alignment command", "<tr><td><hr></td></tr>", kRule},
        {"the other rule spellings", "<tr><td><hr/></td></tr><tr><td><hr /></td></tr>",
         kRule + kRule},
        {"centred bold word", "<tr><td><center><strong>RECEIPT</strong></center></td></tr>",
         kCentre + kBoldOn + "RECEIPT" + kBoldOff + "\n"},
        {"barcode field, zero-filled to 12",
         "<tr><td><input type=\"hidden\" name=\"barcodeText\" value=\"1234567\"></td></tr>",
         hex("0A 1B 61 31 1D 68 50 1D 48 32 1D 6B 46 0C 30 30 30 30 30 31 32 33 34 35 36 37 0A 1D "
             "56 42 1E")},
        {"image named logo.png", "<tr><td><center><img src=\"logo.png\"></center></td></tr>",
         kCentre + kLogo},
        {"image matching no stored logo", "<tr><td><img src=\"shop/photo.png\" /></td></tr>",
         kCentre},
        {"upper-case <TR> is no row separator", "<tr><td>A</td><TR><td>B</td></tr>",
         kLeft + "AB\n"},
        {"a layout without </tr> is one row", "<td>A</td> <td>B</td>", kLeft + "A B\n"},
        {"a label with a line break counts whole",
         "<tr><td>Line one<br>two</td><td>: 1</td></tr><tr><td>X: 2</td></tr>",
         kLeft + "Line one\ntwo: 1\n" + kLeft + "X" + std::string(11, ' ') + ": 2\n"},
        {"a caret splits a row", "<tr><td>a^b</td></tr>", kLeft + "a\n" + kLeft + "b\n"},
        {"a rule in a centred cell prints its marker", "<tr><td><center><hr></center></td></tr>",
         kCentre + " hrule### \n"},
        {"CR of CR LF line ends stays in the row", "<tr><td>A\r\nB</td></tr>\r\n",
         kLeft + "A\rB\n" + kLeft},
        {"a blank row writes only the alignment", "<tr><td>   </td></tr>", kLeft},
    };
    for (const auto& c : cases) expectBytes(c);
}

TEST(RawConversionTest, RowRewriting) {
    const Case cases[] = {
        {"document tags go, attributes stay until the tag pattern",
         "<html><body><table border=\"0\"><tbody><tr><td colspan=3><font>x</font></td></tr>"
         "</tbody></table></body></html>",
         kLeft + "x\n"},
        {"an empty layout", "", ""},
        {"text only", "plain", kLeft + "plain\n"},
        {"&nbsp;, line feeds and tabs go, blank runs shrink",
         "<tr><td>a&nbsp;b  \t c\n d</td></tr>",
         kLeft + "ab  c d\n"},  // tab goes after the blanks shrink
        {"<br> and <br/> become line feeds", "<tr><td>a<br>b<br/>c</td></tr>", kLeft + "a\nb\nc\n"},
        {"the image row keeps only its source",
         "<tr><td><center>Shop <img src=\"x/vexo.png\" alt=\"v\"> name</center></td></tr>",
         kCentre + kBrand},
        {"an image tag closed right after the source quote is no image row",
         "<tr><td><img src=\"logo.png\"></td></tr>", kLeft},
        {"stored logos by name, first match wins, '.' is any byte",
         "<tr><td><img src=\"QRCode.png\" /></td></tr><tr><td><img src=\"bottom.png\" /></td></tr>"
         "<tr><td><img src=\"vexoXpng logo.png\" /></td></tr>"
         "<tr><td><img src=\"C:\\img\\logo.bmp\" /></td></tr>",
         kCentre + kQrImage + kCentre + kBottom + kCentre + kBrand + kCentre},
        {"emphasis markers without centring",
         "<tr><td><strong>Total</strong></td><td>:</td><td>9.99</td></tr>",
         kLeft + kBoldOn + "Total" + kBoldOff + ":9.99\n"},  // cells join without blanks
        {"empty pieces between colons disappear", "<tr><td>a::b:</td></tr>",
         kLeft + "a:b:\n"},  // the LF is a piece
        {"a row that is only a colon is no label row", "<tr><td>:</td></tr><tr><td>ab: c</td></tr>",
         kLeft + ":\n" + kLeft + "ab: c\n"},
        {"markers do not count toward a label's width",
         "<tr><td><strong>Cash</strong>: 5</td></tr><tr><td>Change: 0</td></tr>",
         kLeft + kBoldOn + "Cash" + kBoldOff + "  : 5\n" + kLeft + "Change: 0\n"},
        {"a label beyond 256 bytes takes no part in the alignment",
         "<tr><td>" + std::string(300, 'L') + ": 1</td></tr><tr><td>ab: 2</td></tr>",
         kLeft + std::string(300, 'L') + ": 1\n" + kLeft + "ab: 2\n"},
        {"the alignment of a rule row is the row before's",
         "<tr><td><center>A</center></td></tr><tr><td><hr></td></tr>", kCentre + "A\n" + kRule},
        {"bytes above 0x7F and NUL pass unchanged", "<tr><td>\xA3 1\0x</td></tr>"s,
         kLeft + "\xA3 1\0x\n"s},
    };
    for (const auto& c : cases) expectBytes(c);
}

TEST(RawConversionTest, BarcodeFields) {
    const Case cases[] = {
        {"the value word may have any case", "<tr><td><input name=BARCODE VALUE=42></td></tr>",
         barcode("000000000042")},
        {"twelve digits fill the barcode exactly",
         "<tr><td><input name=\"barcodeText\" value=\"123456789012\"></td></tr>",
         barcode("123456789012")},
        {"a blank before the slash keeps it out",
         "<tr><td><input name=\"barcodetext\" value=\"381\" /></td></tr>", barcode("000000000381")},
        {"an empty value fills with zeros", "<tr><td><input name=\"barcode\" value=\"\"></td></tr>",
         barcode("000000000000")},
        {"a centred barcode field is still a barcode row",
         "<tr><td><center><input name=\"barcodeText\" value=\"7\"></center></td></tr>",
         barcode("000000000007")},
        {"a field without a value word is no barcode row",
         "<tr><td><input name=\"barcodeText\"></td></tr>", kLeft},
        {"text holding barcode but no value stays text", "<tr><td>Barcode below</td></tr>",
         kLeft + "Barcode below\n"},
        {"a QR code field prints nothing",
         "<tr><td><input name=\"qrcodeText\" value=\"Q1\"></td></tr>", kLeft},
    };
    for (const auto& c : cases) expectBytes(c);
}

TEST(RawConversionTest, BarcodeDataThatItfCannotCarryGetsNoBarcodeCommand) {
    const Case cases[] = {
        {"letters and a semicolon", "<tr><td><input name=\"barcodeText\" value=\"ABC;DEF\"></td></tr>",
         kBarcodeWithoutSymbol},
        {"the slash of a self-closing tag stays in the data",
         "<tr><td><input name=\"barcodeText\" value=\"381\"/></td></tr>", kBarcodeWithoutSymbol},
        {"13 digits", "<tr><td><input name=\"barcodeText\" value=\"1234567890123\"></td></tr>",
         kBarcodeWithoutSymbol},
        {"a long value between two good ones",
         "<tr><td><input name=barcode value=1></td></tr>"
         "<tr><td><input name=barcode value=12345678901234567890></td></tr>"
         "<tr><td><input name=barcode value=2></td></tr>",
         barcode("000000000001") + kBarcodeWithoutSymbol + barcode("000000000002")},
    };
    for (const auto& c : cases) expectBytes(c);
}

TEST(RawConversionTest, EachBarcodeRowCarriesOnlyItsOwnBlock) {
    expectBytes({"two barcode rows and text between",
                 "<tr><td><input name=\"barcodeText\" value=\"11\"></td></tr>"
                 "<tr><td>Thanks</td></tr>"
                 "<tr><td><input name=\"barcodeText\" value=\"22\"></td></tr>",
                 barcode("000000000011") + kLeft + "Thanks\n" + barcode("000000000022")});
}

TEST(RawConversionTest, AValueWordShorterThanSixBytesIsNoValue) {
    const Case cases[] = {
        {"value standing apart from its equals sign",
         "<tr><td><input name=\"barcodeText\" value = \"1234\"></td></tr>", kLeft},
        {"a short word ends the search, though a later word holds value",
         "<tr><td>barcode value =1 value=99</td></tr>", kLeft + "barcode value =1 value=99\n"},
        {"six bytes is a value word with an empty value",
         "<tr><td><input name=barcode value=></td></tr>", barcode("000000000000")},
    };
    for (const auto& c : cases) expectBytes(c);
}

TEST(RawConversionTest, LargeLayoutsGoThroughWithoutCrashOrHang) {
    // One row of several megabytes full of near-matches for every pattern.
    std::string row = "<tr><td>";
    while (row.size() < (3u << 20)) row += "<img  srcx=\"a\" value  <b>x</b>  barcode: \r";
    row += "</td></tr>";
    const std::string one = convert(row);
    EXPECT_EQ(one.substr(0, 6), kInit + kLeft);
    EXPECT_GT(one.size(), 512u << 10);

    // Many label rows and one enormous label: the padding stays bounded.
    std::string rows = "<tr><td>" + std::string(1u << 20, 'L') + ": x</td></tr>";
    for (int i = 0; i < 100000; ++i) rows += "<tr><td>a: b</td></tr>";
    const std::string many = convert(rows);
    EXPECT_LT(many.size(), 4u << 20);
}

}  // namespace
}  // namespace kestrane
