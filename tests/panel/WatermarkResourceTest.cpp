#include "panel/WatermarkResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/CFBundle.h"
#include "foundation/PDEBundle.h"
#include "panel/PanelTestSupport.h"
#include "panel/QZVWatermark.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The Latin template, RGB form, for Helvetica-Bold, "Hi", 48 points, red,
// 45 degrees, offsets 10 and 20 on a portrait page, first page only.
const char kLatinRGB[] =
    R"(%%QZV Begin Watermark resource 
 globaldict /landscapeDoc false put 
 globaldict /invLandscapeDoc false put 
 20 dict begin 
 /Helvetica-Bold findfont /Encoding get StandardEncoding ne 
 { /WatermarkFontName /Helvetica-Bold def } 
 { 
 currentglobal true setglobal ISOLatin1Encoding dup length array copy 
 /ISOLatin1EncodingCopy exch def setglobal 
 ISOLatin1EncodingCopy 128 /Euro put 
 /Helvetica-Bold findfont dup length dict begin 
 {1 index /FID ne {def} {pop pop} ifelse} forall 
 /Encoding ISOLatin1EncodingCopy def currentdict 
 end /Helvetica-Bold-ISOLatin1 exch definefont pop 
 /WatermarkFontName /Helvetica-Bold-ISOLatin1 def 
 } ifelse 
 userdict /QZVWaterMark 
 { 
 20 dict begin 
 /Font WatermarkFontName def 
 /Watermark <4869> def 
 /FontSize 48 def 
 /WaterMarkColor {1.00 0.00 0.00 setrgbcolor} bind def 
 /landscapeDoc false def 
 /invLandscapeDoc false def 
 /Angle 45.0 def 
 landscapeDoc { /Angle Angle 90 add def } if 
 invLandscapeDoc { /Angle Angle -90 add def } if 
 /XOffset 10 def 
 /YOffset 20 def 
 gsave 
 userdict /TavroVRdict known 
 { 
 globaldict /AdobeInitMatrix get exec 
 TavroVRdict /GetPgNum get exec TavroVRdict /TavroBeginPage get exec 
 userdict /origSizeW get 2 div XOffset add userdict /origSizeH get 2 div YOffset add translate 
 } 
 { 
 initmatrix clippath pathbbox 
 /MaxY exch def /MaxX exch def /MinY exch def /MinX exch def 
 MaxX 2 div MinX 2 div add XOffset add 
 MaxY 2 div MinY 2 div add YOffset add translate } ifelse 
 Angle rotate Font findfont FontSize scalefont setfont WaterMarkColor 
 Watermark stringwidth pop 2 div neg FontSize 3 div neg moveto 
 Watermark show 
 grestore 
 end 
 } bind put 
 globaldict /pageCount 0 put 
 globaldict /waterMarkAllPages false put 
 userdict /QZVDRVRMACOriginalshowpage /showpage load put 
 userdict /showpage 
 { 
 globaldict /pageCount globaldict /pageCount get 1 add put 
 globaldict /pageCount get 1 eq 
 globaldict /waterMarkAllPages get or 
 { 
 userdict /QZVWaterMark get exec 
 } if 
 userdict /QZVDRVRMACOriginalshowpage get exec 
 } bind put 
 %%QZV End Watermark resource 
)";

// The composite template for "Hi", 36 points, blue, -30 degrees, offsets -5
// and 7 on a portrait page, every page; the font name normalised.
const char kComposite[] =
    R"(%%QZV Begin Watermark resource 
 globaldict /landscapeDoc false put 
 globaldict /invLandscapeDoc false put 
 userdict /QZVWaterMark 
 { 
 20 dict begin 
 { 
 (Resource/AcroCIDFont/AdobeSongStd-Light) run 
 /Font /GB-EUC-H [/AdobeSongStd-Light] composefont pop 
 } stopped { 
 pop  
 /Font /Helvetica def 
 } if 
 /Watermark <4869> def /FontSize 36 def  
 /WaterMarkColor {0.00 0.00 1.00 setrgbcolor} bind def 
 /landscapeDoc false def 
  /invLandscapeDoc false def 
 /Angle -30.0 def 
 landscapeDoc { /Angle Angle 90 add def } if 
 invLandscapeDoc { /Angle Angle -90 add def } if 
 /XOffset -5 def /YOffset 7 def gsave 
 userdict /TavroVRdict known 
 { 
 globaldict /AdobeInitMatrix get exec 
 TavroVRdict /GetPgNum get exec TavroVRdict /TavroBeginPage get exec 
 userdict /origSizeW get 2 div XOffset add 
 userdict /origSizeH get 2 div YOffset add translate 
 } 
 { 
 initmatrix 
 clippath pathbbox /MaxY exch def /MaxX exch def /MinY exch def /MinX exch def 
 MaxX 2 div MinX 2 div add XOffset add MaxY 2 div MinY 2 div add YOffset add translate } ifelse 
 Angle rotate 
 /Font findfont FontSize scalefont setfont WaterMarkColor 
 Watermark stringwidth pop 2 div neg FontSize 3 div neg moveto Watermark show 
 grestore end 
 } bind put 
 globaldict /pageCount 0 put 
 globaldict /waterMarkAllPages true put 
 userdict /QZVDRVRMACOriginalshowpage /showpage load put 
 userdict /showpage 
 { 
 globaldict /pageCount globaldict /pageCount get 1 add put 
 globaldict /pageCount get 1 eq 
 globaldict /waterMarkAllPages get or 
 { 
 userdict /QZVWaterMark get exec 
 } if 
 userdict /QZVDRVRMACOriginalshowpage get exec 
 } bind put 
 %%QZV End Watermark resource 
)";

const char kClearInkLine[] =
    " /WaterMarkColor { true setoverprint [ /Separation (Clear) /DeviceCMYK {0.0 0.0 0.0 0.0} ] "
    "setcolorspace 1.0 setcolor } bind def ";

std::string Resource(const char* description, const char* language, PMOrientation orientation,
                     WatermarkResourceStatus expected = WatermarkResourceStatus::kWritten) {
  QZVWatermark watermark(description);
  std::string resource = "stale";
  EXPECT_EQ(MakeWatermarkResource(watermark, language, orientation, resource), expected)
      << description;
  return resource;
}

TEST(WatermarkResourceTest, LatinTemplateRGBToTheByte) {
  EXPECT_EQ(Resource("0,10,20,255,0,0,0,1,0,450,0,0,48,Helvetica-Bold,Hi", "English", kPMPortrait),
            kLatinRGB);
}

TEST(WatermarkResourceTest, CIDTemplateClearInkToTheByte) {
  const std::string font = "HeiseiMin-W3-90ms-RKSJ-H";
  std::vector<std::string> lines = Lines(kLatinRGB);
  for (std::string& line : lines) {
    for (size_t at; (at = line.find("Helvetica-Bold")) != std::string::npos;) {
      line.replace(at, 14, font);
    }
  }
  lines[20] = " /Watermark <93FA967B> def ";
  lines[22] = kClearInkLine;
  lines.erase(lines.begin() + 12, lines.begin() + 15);
  lines.insert(lines.begin() + 12, {std::string(52, ' ') + "end" + std::string(35, ' '),
                                    " /WatermarkFontName /" + font + "           def "});
  const std::string description =
      "1,10,20,255,0,0,0,1,0,450,0,0,48," + font + ",\xE6\x97\xA5\xE6\x9C\xAC";
  EXPECT_EQ(Resource(description.c_str(), "Japanese", kPMPortrait), Joined(lines));
}

TEST(WatermarkResourceTest, LatinClearInkAndCIDRGBForms) {
  std::vector<std::string> clear = Lines(kLatinRGB);
  clear[22] = kClearInkLine;
  EXPECT_EQ(Resource("7,10,20,255,0,0,0,1,0,450,0,0,48,Helvetica-Bold,Hi", "English", kPMPortrait),
            Joined(clear));
  // A Japanese PPD with a Latin font keeps the Latin template.
  EXPECT_EQ(Resource("0,10,20,255,0,0,0,1,0,450,0,0,48,Helvetica-Bold,Hi", "Japanese", kPMPortrait),
            kLatinRGB);
  const std::string cid =
      Resource("0,10,20,255,0,0,0,1,0,450,0,0,48,Ryumin-Light-V,Hi", "Japanese", kPMPortrait);
  EXPECT_NE(cid.find(" /WaterMarkColor {1.00 0.00 0.00 setrgbcolor} bind def \n"),
            std::string::npos);
  EXPECT_NE(cid.find(" /WatermarkFontName /Ryumin-Light-V           def \n"), std::string::npos);
  EXPECT_EQ(Lines(cid).size(), 61u);
}

TEST(WatermarkResourceTest, CompositeTemplateToTheByte) {
  EXPECT_EQ(Resource("0,-5,7,0,0,255,0,0,0,-300,0,0,36,Foo-AdobeSongStd-Light-Bar,Hi", "Chinese",
                     kPMPortrait),
            kComposite);
  // Clear ink has no composite form: the RGB one is written.
  EXPECT_EQ(
      Resource("1,-5,7,0,0,255,0,0,0,-300,0,0,36,AdobeSongStd-Light,Hi", "Chinese", kPMPortrait),
      kComposite);
}

TEST(WatermarkResourceTest, CompositeFontNames) {
  EXPECT_STREQ(CompositeFontName("xAdobeHeitiStd-Regularx"), "AdobeHeitiStd-Regular");
  EXPECT_STREQ(CompositeFontName("AdobeSongStd-Light-Acro"), "AdobeSongStd-Light");
  EXPECT_STREQ(CompositeFontName("STSong-Light"), "STSong-Light");
  EXPECT_STREQ(CompositeFontName(nullptr), "");
}

TEST(WatermarkResourceTest, OrientationTurnsTheOffsets) {
  struct Case {
    PMOrientation orientation;
    const char* landscape;
    const char* inverse;
    int x, y;
  } cases[] = {
      {kPMPortrait, "false", "false", 10, 20},
      {kPMReversePortrait, "false", "false", 10, 20},
      {kPMLandscape, "true", "false", -20, 10},
      {kPMReverseLandscape, "false", "true", 20, -10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation);
    for (const char* language : {"English", "Chinese"}) {
      const std::string r =
          Resource("0,10,20,255,0,0,0,1,0,450,0,0,48,Helvetica-Bold,Hi", language, c.orientation);
      EXPECT_NE(r.find(std::string(" globaldict /landscapeDoc ") + c.landscape + " put \n"),
                std::string::npos);
      EXPECT_NE(r.find(std::string(" /landscapeDoc ") + c.landscape + " def \n"),
                std::string::npos);
      EXPECT_NE(r.find(std::string(" globaldict /invLandscapeDoc ") + c.inverse + " put \n"),
                std::string::npos);
      EXPECT_NE(r.find("/XOffset " + std::to_string(c.x) + " def"), std::string::npos) << r;
      EXPECT_NE(r.find("/YOffset " + std::to_string(c.y) + " def"), std::string::npos) << r;
    }
  }
  // The largest offsets turn without overflow.
  const std::string r = Resource("0,2147483647,-99999999999,0,0,0,0,0,0,0,0,0,12,Times-Roman,t",
                                 "English", kPMLandscape);
  EXPECT_NE(r.find(" /XOffset 2147483647 def \n /YOffset 2147483647 def "), std::string::npos);
}

TEST(WatermarkResourceTest, UnsafeFontNamesWriteNothing) {
  for (const char* description :
       {"0,0,0,0,0,0,0,0,0,0,0,0,12,Times) show (x,t", "0,0,0,0,0,0,0,0,0,0,0,0,12,Times%x,t",
        "0,0,0,0,0,0,0,0,0,0,0,0,12,/Times,t", "0,0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0,12,  ,t"}) {
    for (const char* language : {"English", "Japanese", "Chinese"}) {
      EXPECT_EQ(Resource(description, language, kPMPortrait, WatermarkResourceStatus::kBadFontName),
                "")
          << description << " " << language;
    }
  }
}

// --- Rendering with Ghostscript -------------------------------------------

bool HaveGhostscript() {
  return std::system("command -v gs >/dev/null 2>&1") == 0;
}

// Two pages of plain black text, each ended by showpage.
const char kDocument[] =
    "/Helvetica findfont 12 scalefont setfont\n"
    "72 72 moveto (Page one) show showpage\n"
    "72 72 moveto (Page two) show showpage\n";

struct Rendered {
  int status = -1;
  std::string log;
};

// Runs the resource in front of the document; pages go to dir as page-N.ext.
Rendered Render(const ScratchDir& dir, const std::string& resource, const char* device,
                const char* extension) {
  const std::filesystem::path job =
      dir.Write("job.ps", std::string("%!PS-Adobe-3.0\n") + resource + kDocument);
  const std::filesystem::path log = dir.path() / "gs.log";
  const std::string command = std::string("gs -q -dSAFER -dBATCH -dNOPAUSE -r20 -sDEVICE=") +
                              device + " -sCompression=none -sOutputFile='" +
                              (dir.path() / ("page-%d." + std::string(extension))).string() +
                              "' '" + job.string() + "' >'" + log.string() + "' 2>&1";
  Rendered r;
  r.status = std::system(command.c_str());
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  r.log = text.str();
  return r;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Pixels of a binary PPM that are close to the colour (r, g, b).
int PixelsNear(const std::filesystem::path& ppm, int r, int g, int b) {
  const std::string data = ReadBytes(ppm);
  size_t at = 0;
  std::vector<long> header;
  while (header.size() < 4 && at < data.size()) {
    if (std::isspace(static_cast<unsigned char>(data[at]))) {
      ++at;
    } else if (data[at] == '#') {
      at = data.find('\n', at);
    } else {
      const size_t end = data.find_first_of(" \t\r\n", at);
      header.push_back(header.empty() ? 0 : std::stol(data.substr(at, end - at)));
      at = end;
    }
  }
  ++at;  // the single white space after the maximum value
  int count = 0;
  for (; at + 2 < data.size(); at += 3) {
    const auto near = [](unsigned char v, int want) { return std::abs(v - want) < 70; };
    if (near(data[at], r) && near(data[at + 1], g) && near(data[at + 2], b)) ++count;
  }
  return count;
}

struct RenderCase {
  const char* what;
  const char* description;
  const char* language;
  bool firstPageOnly;
  int r, g, b;
};

TEST(WatermarkRenderTest, EachTemplateDrawsOnTheRightPages) {
  if (!HaveGhostscript()) GTEST_SKIP() << "gs is not installed";
  const RenderCase cases[] = {
      {"Latin RGB, first page", "0,10,20,255,0,0,0,1,0,450,0,0,60,Helvetica-Bold,DRAFT", "English",
       true, 255, 0, 0},
      {"Latin RGB, every page", "0,0,0,0,160,0,0,0,0,-300,0,0,60,Times-Roman,COPY", "English",
       false, 0, 160, 0},
      {"CID RGB", "0,0,0,255,0,0,0,1,0,450,0,0,60,HeiseiMin-W3-90ms-RKSJ-H,\xE6\x97\xA5 Hi",
       "Japanese", true, 255, 0, 0},
      {"composite", "0,0,0,0,0,255,0,0,0,450,0,0,60,AdobeSongStd-Light,\xE4\xB8\xAD Hi", "Chinese",
       false, 0, 0, 255},
  };
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    std::string resource;
    QZVWatermark watermark(c.description);
    ASSERT_EQ(MakeWatermarkResource(watermark, c.language, kPMLandscape, resource),
              WatermarkResourceStatus::kWritten);
    const Rendered r = Render(dir, resource, "ppmraw", "ppm");
    ASSERT_EQ(r.status, 0) << r.log;
    EXPECT_EQ(r.log.find("Error"), std::string::npos) << r.log;
    EXPECT_GT(PixelsNear(dir.path() / "page-1.ppm", c.r, c.g, c.b), 20);
    const int second = PixelsNear(dir.path() / "page-2.ppm", c.r, c.g, c.b);
    if (c.firstPageOnly) {
      EXPECT_EQ(second, 0);
    } else {
      EXPECT_GT(second, 20);
    }
  }
}

// Clear ink is a spot separation of its own: rendered to separations, the
// first page has a Clear plate with ink and the second none at all.
TEST(WatermarkRenderTest, ClearInkGoesToTheClearSeparation) {
  if (!HaveGhostscript()) GTEST_SKIP() << "gs is not installed";
  ScratchDir dir;
  std::string resource;
  QZVWatermark watermark("1,0,0,0,0,0,0,1,0,450,0,0,60,Helvetica-Bold,CLEAR");
  ASSERT_EQ(MakeWatermarkResource(watermark, "English", kPMPortrait, resource),
            WatermarkResourceStatus::kWritten);
  const Rendered r = Render(dir, resource, "tiffsep", "tif");
  ASSERT_EQ(r.status, 0) << r.log;
  EXPECT_EQ(r.log.find("Error"), std::string::npos) << r.log;
  const auto inked = [](const std::string& bytes) {
    int n = 0;
    for (unsigned char byte : bytes) n += byte != 255;
    return n;
  };
  const std::string clear = ReadBytes(dir.path() / "page-1(Clear).tif");
  const std::string cyan = ReadBytes(dir.path() / "page-1(Cyan).tif");  // no ink: header only
  ASSERT_FALSE(clear.empty());
  ASSERT_EQ(clear.size(), cyan.size());
  EXPECT_GT(inked(clear) - inked(cyan), 20);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "page-2(Clear).tif"));
}

// Where a colour lies on a binary PPM page: how many pixels are within a few
// levels of it, and their bounding box.
struct ColourSpot {
  int width = 0, height = 0;
  int count = 0;
  int left = 0, top = 0, right = -1, bottom = -1;
};

ColourSpot FindColour(const std::filesystem::path& ppm, int r, int g, int b) {
  const std::string data = ReadBytes(ppm);
  ColourSpot spot;
  size_t at = 0;
  std::vector<long> header;
  while (header.size() < 4 && at < data.size()) {
    if (std::isspace(static_cast<unsigned char>(data[at]))) {
      ++at;
    } else if (data[at] == '#') {
      at = data.find('\n', at);
    } else {
      const size_t end = data.find_first_of(" \t\r\n", at);
      header.push_back(header.empty() ? 0 : std::stol(data.substr(at, end - at)));
      at = end;
    }
  }
  if (header.size() < 4 || at == std::string::npos) return spot;
  ++at;
  spot.width = static_cast<int>(header[1]);
  spot.height = static_cast<int>(header[2]);
  spot.left = spot.width;
  spot.top = spot.height;
  const auto near = [](unsigned char v, int want) { return std::abs(v - want) <= 24; };
  for (size_t i = 0; at + i * 3 + 2 < data.size(); ++i) {
    const char* p = &data[at + i * 3];
    if (!near(p[0], r) || !near(p[1], g) || !near(p[2], b)) continue;
    const int x = static_cast<int>(i % static_cast<size_t>(spot.width));
    const int y = static_cast<int>(i / static_cast<size_t>(spot.width));
    ++spot.count;
    spot.left = std::min(spot.left, x);
    spot.right = std::max(spot.right, x);
    spot.top = std::min(spot.top, y);
    spot.bottom = std::max(spot.bottom, y);
  }
  return spot;
}

// The five watermarks a printer starts with: each reads without a mend and
// draws, whole and about centred, on a portrait and a landscape page.
TEST(WatermarkRenderTest, DefaultWatermarksLookRightOnAPage) {
  if (!HaveGhostscript()) GTEST_SKIP() << "gs is not installed";
  CFBundleRef bundle =
      CFBundle::Open(std::filesystem::path(TAVRO_SOURCE_DIR) / "bundle" / "TavroFeatures.plugin");
  ASSERT_TRUE(bundle);
  for (int i = 0; i < 5; ++i) {
    const std::string key = "Watermark" + std::to_string(i);
    const std::string description = CopyLocalizedCFString(CFSTR(key), bundle).UTF8();
    SCOPED_TRACE(key + " = " + description);
    ASSERT_NE(description, key);
    for (PMOrientation orientation : {kPMPortrait, kPMLandscape}) {
      SCOPED_TRACE(orientation);
      QZVWatermark watermark(description.c_str());
      EXPECT_EQ(watermark.Problems(), 0u);
      // Light enough to read the page through, and told apart from white.
      const int darkest = std::min({watermark.Red(), watermark.Green(), watermark.Blue()});
      EXPECT_GE(darkest, 40);
      EXPECT_LE(darkest, 200);
      std::string resource;
      ASSERT_EQ(MakeWatermarkResource(watermark, "English", orientation, resource),
                WatermarkResourceStatus::kWritten);
      ScratchDir dir;
      const Rendered r = Render(dir, resource, "ppmraw", "ppm");
      ASSERT_EQ(r.status, 0) << r.log;
      EXPECT_EQ(r.log.find("Error"), std::string::npos) << r.log;

      const ColourSpot first = FindColour(dir.path() / "page-1.ppm", watermark.Red(),
                                          watermark.Green(), watermark.Blue());
      ASSERT_GT(first.count, 40);
      // Whole on the page: no edge touched, the centre near the page's.
      EXPECT_GT(first.left, 0);
      EXPECT_GT(first.top, 0);
      EXPECT_LT(first.right, first.width - 1);
      EXPECT_LT(first.bottom, first.height - 1);
      EXPECT_NEAR((first.left + first.right) / 2.0, first.width / 2.0, first.width * 0.1);
      EXPECT_NEAR((first.top + first.bottom) / 2.0, first.height / 2.0, first.height * 0.1);
      // Big enough to be seen across the page.
      EXPECT_GT(first.right - first.left, first.width / 3);

      const ColourSpot second = FindColour(dir.path() / "page-2.ppm", watermark.Red(),
                                           watermark.Green(), watermark.Blue());
      if (watermark.FirstPageOnly()) {
        EXPECT_EQ(second.count, 0);
      } else {
        EXPECT_EQ(second.count, first.count);
      }
    }
  }
}

}  // namespace
