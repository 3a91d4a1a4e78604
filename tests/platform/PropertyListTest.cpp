#include "platform/PropertyList.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

PlistValue Sample() {
  PlistValue inner;
  inner.Set("b", PlistValue::Bool(false));
  inner.Set("a", PlistValue::Integer(-42));
  PlistValue list;
  list.Append(PlistValue::String("x < y & \"z\" 'w' > \xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"));
  list.Append(PlistValue::Real(0.1));
  list.Append(PlistValue::Real(-1234567.25e10));
  list.Append(PlistValue::Real(1.0 / 3.0));
  list.Append(PlistValue::Integer(std::numeric_limits<int64_t>::min()));
  list.Append(PlistValue::Integer(std::numeric_limits<int64_t>::max()));
  list.Append(PlistValue::MakeArray());
  list.Append(PlistValue::MakeDict());
  list.Append(PlistValue::String(""));
  PlistValue root;
  root.Set("zeta", PlistValue::Bool(true));
  root.Set("data", PlistValue::Data(std::string_view("\x00\x01\xfe\xff", 4)));
  root.Set("date", PlistValue::Date(PlistDate::FromUnixTime(1700000000.0)));
  root.Set("inner", inner);
  root.Set("list", list);
  root.Set("k\xc3\xa9y with space", PlistValue::String("multi\nline\ttext"));
  return root;
}

std::string RunPython(const std::string& script, const std::string& input) {
  auto dir = std::filesystem::temp_directory_path() / ("plisttest-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "in.plist", std::ios::binary) << input;
  std::ofstream(dir / "t.py") << script;
  std::string cmd = "python3 " + (dir / "t.py").string() + " " + (dir / "in.plist").string();
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  std::filesystem::remove_all(dir);
  return out;
}

TEST(PropertyList, XmlAndBinaryReadBackEqual) {
  PlistValue v = Sample();
  for (const std::string& form : {v.ToXml(), v.ToBinary()}) {
    std::string error;
    auto back = PlistValue::FromXml(form, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, v);
  }
}

// Another reader sees the same values: every kind, signed extremes, the
// date in UTC, escaped text and non-ASCII keys.
TEST(PropertyList, PythonPlistlibReadsTheSameValues) {
  if (system("python3 -c 'import plistlib' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  const char* script = R"(import plistlib, sys, json, datetime
v = plistlib.load(open(sys.argv[1], 'rb'))
def conv(x):
    if isinstance(x, bytes): return 'bytes:' + x.hex()
    if isinstance(x, datetime.datetime): return 'date:' + x.isoformat()
    if isinstance(x, float): return 'real:' + repr(x)
    if isinstance(x, bool): return x
    if isinstance(x, dict): return {k: conv(y) for k, y in x.items()}
    if isinstance(x, list): return [conv(y) for y in x]
    return x
print(json.dumps(conv(v), sort_keys=True, ensure_ascii=True))
)";
  std::string out = RunPython(script, Sample().ToXml());
  EXPECT_EQ(out,
            "{\"data\": \"bytes:0001feff\", \"date\": \"date:2023-11-14T22:13:20\", \"inner\": "
            "{\"a\": -42, \"b\": false}, \"k\\u00e9y with space\": \"multi\\nline\\ttext\", "
            "\"list\": [\"x < y & \\\"z\\\" 'w' > \\u00e9\\u20ac\\ud83d\\ude00\", \"real:0.1\", "
            "\"real:-1.23456725e+16\", \"real:0.3333333333333333\", -9223372036854775808, "
            "9223372036854775807, [], {}, \"\"], "
            "\"zeta\": true}\n");
}

TEST(PropertyList, ReadsWhatPlistlibWrites) {
  if (system("python3 -c 'import plistlib' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  const char* script = R"(import plistlib, sys
v = plistlib.load(open(sys.argv[1], 'rb'))
sys.stdout.write(plistlib.dumps(v, fmt=plistlib.FMT_XML).decode())
sys.stdout.write('\n@@@\n')
sys.stdout.write(plistlib.dumps(v, fmt=plistlib.FMT_BINARY).hex())
)";
  PlistValue v = Sample();
  std::string out = RunPython(script, v.ToXml());
  auto sep = out.find("\n@@@\n");
  ASSERT_NE(sep, std::string::npos) << out;
  auto xml = PlistValue::FromXml(out.substr(0, sep));
  ASSERT_TRUE(xml);
  EXPECT_EQ(*xml, v);
  std::string hex = out.substr(sep + 5), bin;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bin.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
  auto binary = PlistValue::FromXml(bin);
  ASSERT_TRUE(binary);
  EXPECT_EQ(*binary, v);
}

TEST(PropertyList, OutputIsIndependentOfInsertionOrder) {
  PlistValue a, b;
  for (const char* k : {"m", "a", "z", "b"}) a.Set(k, PlistValue::String(k));
  for (const char* k : {"z", "b", "a", "m"}) b.Set(k, PlistValue::String(k));
  EXPECT_EQ(a.ToXml(), b.ToXml());
  EXPECT_LT(a.ToXml().find("<key>a</key>"), a.ToXml().find("<key>b</key>"));
}

TEST(PropertyList, WrongKindAnswersDefaults) {
  const PlistValue values[] = {PlistValue(),
                               PlistValue::Bool(true),
                               PlistValue::String("7"),
                               PlistValue::Data(std::string_view("x")),
                               PlistValue::MakeArray(),
                               PlistValue::MakeDict()};
  for (const auto& v : values) {
    EXPECT_EQ(v.GetInteger(-9), -9);
    EXPECT_EQ(v.GetReal(2.5), 2.5);
    EXPECT_FALSE(v.GetDate());
    if (v.Kind() != PlistKind::Bool) {
      EXPECT_TRUE(v.GetBool(true));
    }
    if (v.Kind() != PlistKind::String) {
      EXPECT_EQ(v.GetString("d"), "d");
    }
    if (v.Kind() != PlistKind::Array) {
      EXPECT_EQ(v.At(0), nullptr);
    }
    if (v.Kind() != PlistKind::Dict) {
      EXPECT_EQ(v.Find("k"), nullptr);
    }
  }
  // Numbers convert into each other; unrepresentable reals do not.
  EXPECT_EQ(PlistValue::Real(3.9).GetInteger(), 3);
  EXPECT_EQ(PlistValue::Integer(4).GetReal(), 4.0);
  EXPECT_EQ(PlistValue::Real(1e300).GetInteger(-1), -1);
  EXPECT_EQ(PlistValue::Real(std::numeric_limits<double>::quiet_NaN()).GetInteger(-1), -1);
}

TEST(PropertyList, ContainerEditing) {
  PlistValue v;
  EXPECT_TRUE(v.Set("a", PlistValue::Integer(1)));
  EXPECT_FALSE(v.Append(PlistValue::Integer(2)));  // a dictionary is not an array
  EXPECT_TRUE(v.Set("a", PlistValue::Integer(3)));
  EXPECT_EQ(v.Count(), 1u);
  EXPECT_EQ(v.Find("a")->GetInteger(), 3);
  EXPECT_FALSE(v.Remove("missing"));
  EXPECT_TRUE(v.Remove("a"));
  EXPECT_EQ(v.Count(), 0u);

  PlistValue s = PlistValue::String("x");
  EXPECT_FALSE(s.Set("a", PlistValue()));
  EXPECT_FALSE(s.Append(PlistValue()));
  EXPECT_EQ(s, PlistValue::String("x"));

  PlistValue copy = Sample();
  PlistValue original = copy;
  copy.Find("inner")->Set("a", PlistValue::Integer(0));
  EXPECT_NE(copy, original);  // copies are deep
  EXPECT_EQ(original.Find("inner")->Find("a")->GetInteger(), -42);
}

TEST(PropertyList, RefusesWhatIsNotAPropertyList) {
  std::string xml = Sample().ToXml();
  std::string bin = Sample().ToBinary();
  const std::string cases[] = {
      "",
      "hello",
      "{\"json\": 1}",
      "<plist><dict><key>a</key></plist>",
      xml.substr(0, xml.size() / 2),
      "bplist00",
      bin.substr(0, bin.size() - 10),
      std::string(20000, '<'),
  };
  for (const auto& text : cases) {
    std::string error;
    EXPECT_FALSE(PlistValue::FromXml(text, &error)) << text.substr(0, 40);
    EXPECT_FALSE(error.empty());
  }
}

// Text is UTF-8 without NUL: other text has no written form (rather than a
// cut or mangled one), and input holding it is refused.
TEST(PropertyList, TextThatCannotTravelIsNeverChangedSilently) {
  const std::string bad[] = {
      std::string("a\0b", 3),  // NUL
      "\x83\x83"
      "Bidi",              // stray continuation bytes
      "\xc3",              // cut sequence
      "\xc0\xaf",          // overlong
      "\xed\xa0\x80",      // surrogate
      "\xf4\x90\x80\x80",  // past U+10FFFF
  };
  for (const std::string& text : bad) {
    PlistValue v;
    v.Set("k", PlistValue::String(text));
    EXPECT_EQ(v.ToXml(), "") << text;
    EXPECT_EQ(v.ToBinary(), "");
    PlistValue key;
    key.Set(text, PlistValue::Integer(1));
    EXPECT_EQ(key.ToXml(), "");
    std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>" + text + "</string></plist>";
    EXPECT_FALSE(PlistValue::FromXml(xml));
  }
  // Dates beyond what the written forms carry are not clamped silently.
  EXPECT_EQ(PlistValue::Date({3e9}).ToXml(), "");
  EXPECT_NE(PlistValue::Date({-3e8}).ToXml(), "");
  PlistValue fine = PlistValue::String("\xf4\x8f\xbf\xbf \xe2\x82\xac");
  EXPECT_TRUE(PlistValue::FromXml(fine.ToXml()));
}

TEST(PropertyList, DeepNestingIsRefusedNotOverflowed) {
  std::string deep = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  for (int i = 0; i < 100000; ++i) deep += "<array>";
  for (int i = 0; i < 100000; ++i) deep += "</array>";
  deep += "</plist>";
  std::string error;
  EXPECT_FALSE(PlistValue::FromXml(deep, &error));
}

}  // namespace
