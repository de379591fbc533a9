// Pictures in generated pages: "newimage" names per extension, the removal of old pictures,
// picture sizes read from file headers, and DISPLAY of graphic values (the VML shape with its
// fallback image, borders, image maps, blanks in the folder name, and files that hold no picture).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/picture_files.h"
#include "generate/web_page_generator.h"
#include "model/quire_domain_object.h"
#include "model/quire_object.h"
#include "model/quire_standard_domain.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/file_io.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::DomNode;
using test_support::TempFolder;

// A 2 x 3 picture in two formats, written as bytes.
const std::string kGif2x3(
    "\x47\x49\x46\x38\x39\x61\x02\x00\x03\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF\x2C\x00\x00\x00"
    "\x00\x02\x00\x03\x00\x00\x02\x05\x04\x41\x10\x04\x51\x00\x3B",
    38);
const std::string kPng2x3(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00"
    "\x03\x08\x02\x00\x00\x00\x36\x88\x49\xD6\x00\x00\x00\x10\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF"
    "\xC0\x00\x44\x0C\x28\x14\x00\x44\xD0\x05\xFB\xA4\xCF\xDE\x80\x00\x00\x00\x00\x49\x45\x4E\x44"
    "\xAE\x42\x60\x82",
    73);

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  std::string reason;
  platform::ReadWholeFile(path, bytes, reason);
  return bytes;
}

// ---- names, folders and old pictures ----

TEST(PictureFiles, NumbersFollowTheHighestPictureOfTheSameExtension) {
  TempFolder folder;
  EXPECT_EQ(NextPictureName(folder.Path("absent"), "gif"), "newimage001.gif");
  folder.Write("newimage007.gif", "x");
  folder.Write("newimage012.gif", "x");
  folder.Write("newimage099.png", "x");
  folder.Write("newimage500x.gif", "x");  // not a number
  folder.Write("oldimage900.gif", "x");
  EXPECT_EQ(NextPictureName(folder.Path(), "gif"), "newimage013.gif");
  EXPECT_EQ(NextPictureName(folder.Path(), "jpg"), "newimage001.jpg");
  EXPECT_EQ(NextPictureName(folder.Path(), "png"), "newimage100.png");
  folder.Write("newimage1234.gif", "x");  // more than three digits go on counting
  EXPECT_EQ(NextPictureName(folder.Path(), "gif"), "newimage1235.gif");
}

TEST(PictureFiles, EnsureFolderMakesMissingParentsAndRefusesAFile) {
  TempFolder folder;
  EXPECT_TRUE(EnsureFolder(folder.Path("a/b/c")));
  EXPECT_TRUE(fs::is_directory(folder.Path("a/b/c")));
  EXPECT_TRUE(EnsureFolder(folder.Path("a/b/c")));
  EXPECT_FALSE(EnsureFolder(folder.Write("plain", "x")));
  EXPECT_FALSE(EnsureFolder(""));
}

TEST(PictureFiles, RemoveOldPicturesDeletesOnlyGeneratedGifs) {
  TempFolder folder;
  for (const char* name :
       {"newimage001.gif", "NewImage002.GIF", "newimage003.jpg", "image001.gif", "newimage.txt"}) {
    folder.Write("page_files/" + std::string(name), "x");
  }
  RemoveOldPictures(folder.Path("page_files"));
  EXPECT_EQ(FileNames(folder.Path("page_files")),
            (std::vector<std::string>{"image001.gif", "newimage.txt", "newimage003.jpg"}));
  RemoveOldPictures(folder.Path("missing"));  // nothing to do, no failure
}

TEST(PictureFiles, HeadersGiveTheNaturalSizeOfEachFormat) {
  int width = 0;
  int height = 0;
  ASSERT_TRUE(NaturalPictureSize(kGif2x3, width, height));
  EXPECT_EQ(width * 10 + height, 23);
  ASSERT_TRUE(NaturalPictureSize(kPng2x3, width, height));
  EXPECT_EQ(width * 10 + height, 23);

  // A bitmap stored top-down gives a negative height.
  std::string bmp = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4) +
                    std::string("\x05\0\0\0", 4) + std::string("\xF9\xFF\xFF\xFF", 4) +
                    std::string(20, '\0');
  ASSERT_TRUE(NaturalPictureSize(bmp, width, height));
  EXPECT_EQ(width * 10 + height, 57);

  // A jpeg whose frame header follows an application segment.
  const std::string jpeg("\xFF\xD8\xFF\xE0\x00\x04\x00\x00\xFF\xC0\x00\x11\x08\x00\x04\x00\x06",
                         17);
  ASSERT_TRUE(NaturalPictureSize(jpeg, width, height));
  EXPECT_EQ(width * 10 + height, 64);
  EXPECT_EQ(PictureFormatOfBytes(jpeg), "jpg");

  EXPECT_FALSE(NaturalPictureSize(kGif2x3.substr(0, 8), width, height));
  EXPECT_FALSE(NaturalPictureSize(kPng2x3.substr(0, 20), width, height));
  EXPECT_FALSE(NaturalPictureSize(jpeg.substr(0, 12), width, height));
  EXPECT_FALSE(NaturalPictureSize("plain text", width, height));
  EXPECT_EQ(PictureFormatOfBytes(""), "");
}

// ---- a domain whose diagrams map regions to other objects ----

std::string g_diagramPath;

class DiagramObject : public QuireDomainObject {
 public:
  DiagramObject(QuireClass cls, std::string name) : class_(cls), name_(std::move(name)) {}
  QuireClass getClass(QuireStatus& status) const override {
    status = QuireStatus();
    return class_;
  }
  std::unique_ptr<QuireDomainObject> clone() const override {
    return std::make_unique<DiagramObject>(*this);
  }
  void display(QuireStatus& status) const override { status = QuireStatus(); }
  void getConstructorArguments(QuireArgumentValues& list, bool /*flag*/,
                               QuireStatus& status) const override {
    status = QuireStatus();
    list = {QuireAttributeValue(class_.constructorArguments().front(), QuireValue(name_))};
  }

 private:
  QuireClass class_;
  std::string name_;
};

void DiagramName(QuireValue& result, const QuireObject& /*object*/, QuireStatus& status) {
  status = QuireStatus();
  result.setText("plan");
}
void DiagramPicture(QuireValue& result, const QuireObject& /*object*/,
                    const std::string& /*imageName*/, QuireStatus& status) {
  status = QuireStatus();
  result.setGraphic(QuireGraphic(g_diagramPath, QuireGraphic::kGif));
}
void MappedPoints(QuireValue& result, const QuireObject& /*object*/, QuireStatus& status) {
  status = QuireStatus();
  result.setText("0,0,1,0,1,1\r\n1,1,2,2,1,2");
}
// The second reference holds a quote and a backslash, which must not end the script argument.
void MappedArtifacts(QuireValue& result, const QuireObject& /*object*/, QuireStatus& status) {
  status = QuireStatus();
  result.setText("Pics:Diagram:Name=a%20b\nPics:Diagram:Name=it's\\x");
}

class PicsDomain : public QuireStandardDomain {
 public:
  PicsDomain() : QuireStandardDomain("Pics") {}
  void loadSchema(QuireStatus& status) override {
    status = QuireStatus();
    const QuireClass diagram = addClass("Diagram");
    const QuireClass plain = addClass("Plain");
    for (QuireClass cls : {diagram, plain}) {
      std::vector<QuireAttribute> attributes = {{"Name", QuireType::STRING, cls, &DiagramName},
                                                {"Picture", cls, &DiagramPicture}};
      if (cls == diagram) {
        attributes.emplace_back("MappedPoints", QuireType::STRING, cls, &MappedPoints);
        attributes.emplace_back("MappedArtifacts", QuireType::STRING, cls, &MappedArtifacts);
      }
      for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
        cls.attributeList(which) = attributes;
      }
      cls.constructorArguments() = {attributes.front()};
      cls.setConstructorEntry(&MakeDiagram);
    }
  }

 private:
  static void MakeDiagram(QuireObject& result, const QuireArgumentValues& values,
                          QuireStatus& status) {
    status = QuireStatus();
    const QuireClass cls = values.front().attribute().getClass();
    result = QuireObject(std::make_unique<DiagramObject>(cls, values.front().textValue()));
  }
};

// ---- DISPLAY of graphic values ----

// Word's placeholder of a picture: the shape type, the shape and the fallback image.
std::string Placeholder(const std::string& style = "width:90pt;height:60pt",
                        const std::string& extra = "") {
  return "<v:shapetype id=\"_x0000_t75\" coordsize=\"21600,21600\"/>"
         "<v:shape id=\"_x0000_i1025\" type=\"#_x0000_t75\" style=\"" +
         style +
         "\" width=\"9\"><v:imagedata src=\"page_files/image001.png\" cropbottom=\"5f\" "
         "cropright=\"7f\"/>" +
         extra +
         "</v:shape><img width=\"120\" height=\"80\" src=\"page_files/image002.gif\" "
         "style=\"x:1\" v:shapes=\"_x0000_i1025\"/><SCRIPT>old</SCRIPT>";
}

class PictureDisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_support::LoadSampleHostStrings();
    DomainRegistry& registry = DomainRegistry::instance();
    if (!registry.hasDomainNamed("FileSys")) {
      registry.registerDomain(std::make_unique<FileSysDomain>());
    }
    if (!registry.hasDomainNamed("Pics")) registry.registerDomain(std::make_unique<PicsDomain>());
  }
  // Warnings reach the log, so that the lines of missing pictures can be read.
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("debugLevel", "3");
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  // Generates a page that shows the Graphic of `picture` in `placeholder`.
  QuireStatus Generate(const std::string& picture, const std::string& placeholder,
                       const std::string& pageName = "page.htm") {
    const std::string body = "<span QuireQuery=\"C:f:FileSys:File:FullName=" + picture +
                             "\">x</span><p><span QuireQuery=\"F:f:FileSys:File::Graphic:GAA:\">" +
                             placeholder + "</span></p>";
    return GenerateBody(body, pageName);
  }
  QuireStatus GenerateBody(const std::string& body, const std::string& pageName = "page.htm") {
    document = platform::DomDocument::Create();
    EXPECT_TRUE(document->loadXML("<html><body>" + body + "</body></html>"))
        << document->parseError().reason;
    errors = std::make_unique<ErrorCollector>(pageName);
    WebPageGenerator generator(document, folder.Path(pageName), *errors);
    QuireStatus status;
    log = test_support::CapturedStderr(
        [&] { status = generator.generatePage("", "http://portal", "template", outline); });
    return status;
  }
  DomNode Find(const std::string& pattern) const {
    return document->documentElement().selectSingleNode(pattern);
  }
  // The text of the fallback script that stands for the picture.
  std::string FallbackScript() const {
    const DomNode script = Find("body//SCRIPT");
    return script ? script.firstChild().nodeValue() : std::string();
  }

  TempFolder folder;
  std::shared_ptr<platform::DomDocument> document;
  std::unique_ptr<ErrorCollector> errors;
  std::optional<std::string> outline;
  std::string log;
};

TEST_F(PictureDisplayTest, PlaceholderSizeDrawsTheCopiedPictureAsShapeAndFallback) {
  folder.Write("page_files/newimage004.png", "older picture");
  const std::string source = folder.Write("in/cover.png", kPng2x3);
  ASSERT_TRUE(Generate(source, Placeholder()).IsOk());

  EXPECT_EQ(ReadFile(folder.Path("page_files/newimage005.png")), kPng2x3);
  const DomNode shape = Find("body//v:shape");
  ASSERT_TRUE(shape);
  EXPECT_EQ(shape.getAttribute("style"), "width:90.00pt;height:60.00pt");
  EXPECT_FALSE(shape.hasAttribute("width"));
  const DomNode data = shape.selectSingleNode("v:imagedata");
  EXPECT_EQ(data.getAttribute("src"), "./page_files/newimage005.png");
  EXPECT_FALSE(data.hasAttribute("cropbottom"));
  EXPECT_FALSE(data.hasAttribute("cropright"));

  // The fallback image is written by a script for browsers without VML, in place of the old one.
  EXPECT_FALSE(Find("body//img"));
  EXPECT_EQ(document->documentElement().selectNodes("body//SCRIPT").length(), 1u);
  const std::string script = FallbackScript();
  EXPECT_TRUE(script.starts_with("\rdocument.write(\"<![if !vml]><img ")) << script;
  EXPECT_NE(script.find("width=120.00 height=80.00"), std::string::npos) << script;
  EXPECT_NE(script.find("src=./page_files/newimage005.png"), std::string::npos) << script;
  EXPECT_NE(script.find("border=0"), std::string::npos) << script;
  EXPECT_EQ(script.find("style"), std::string::npos) << script;
  EXPECT_TRUE(script.ends_with("/><![endif]>\")\r// ")) << script;
}

TEST_F(PictureDisplayTest, InchesAndTheNaturalSizeGiveThePixelsAtNinetySixDotsPerInch) {
  const std::string source = folder.Write("in/cover.gif", kGif2x3);
  ASSERT_TRUE(Generate(source, Placeholder("height:0.5in;width:1.25in")).IsOk());
  EXPECT_EQ(Find("body//v:shape").getAttribute("style"), "width:90.00pt;height:36.00pt");
  EXPECT_NE(FallbackScript().find("width=120.00 height=48.00"), std::string::npos);

  // A style without a usable height keeps the picture's own 2 x 3 pixels.
  ASSERT_TRUE(Generate(source, Placeholder("width:1in;height:50%")).IsOk());
  EXPECT_EQ(Find("body//v:shape").getAttribute("style"), "width:1.50pt;height:2.25pt");
  EXPECT_NE(FallbackScript().find("width=2.00 height=3.00"), std::string::npos) << FallbackScript();
  EXPECT_EQ(FileNames(folder.Path("page_files")),
            (std::vector<std::string>{"newimage001.gif", "newimage002.gif"}));
}

TEST_F(PictureDisplayTest, ATopBorderOnThePlaceholderFramesThePicture) {
  const std::string source = folder.Write("in/cover.gif", kGif2x3);
  ASSERT_TRUE(
      Generate(source, Placeholder("width:9pt;height:9pt", "<w:bordertop type=\"single\"/>"))
          .IsOk());
  EXPECT_NE(FallbackScript().find("border=1"), std::string::npos) << FallbackScript();
  ASSERT_TRUE(Generate(source, Placeholder("width:9pt;height:9pt", "<w:bordertop/>")).IsOk());
  EXPECT_NE(FallbackScript().find("border=0"), std::string::npos) << FallbackScript();
}

TEST_F(PictureDisplayTest, APlainImagePlaceholderGetsTheSourceAndNaturalSize) {
  const std::string source = folder.Write("in/cover.gif", kGif2x3);
  ASSERT_TRUE(Generate(source, "<img src=\"old.gif\" width=\"50\" height=\"50\"/>").IsOk());
  const DomNode image = Find("body//img");
  ASSERT_TRUE(image);
  EXPECT_EQ(image.getAttribute("src"), "./page_files/newimage001.gif");
  EXPECT_EQ(image.getAttribute("width"), "2.00");
  EXPECT_EQ(image.getAttribute("height"), "3.00");
  EXPECT_FALSE(Find("body//SCRIPT"));
}

TEST_F(PictureDisplayTest, BlanksAndQuotesInTheFolderNameAreEncodedInTheSource) {
  const std::string source = folder.Write("in/cover.gif", kGif2x3);
  ASSERT_TRUE(Generate(source, Placeholder(), "my page.htm").IsOk());
  EXPECT_EQ(Find("body//v:imagedata").getAttribute("src"), "./my%20page_files/newimage001.gif");
  EXPECT_TRUE(fs::exists(folder.Path("my page_files/newimage001.gif")));

  // Nothing in the name may end the script's string or the comment it is written in.
  ASSERT_TRUE(Generate(source, Placeholder(), "it's \"a\\b<c>.htm").IsOk());
  EXPECT_EQ(Find("body//v:imagedata").getAttribute("src"),
            "./it%27s%20%22a%5Cb%3Cc%3E_files/newimage001.gif");
  const std::string script = FallbackScript();
  EXPECT_EQ(script.find('\\'), std::string::npos) << script;
  EXPECT_EQ(script.find('\''), std::string::npos) << script;
}

TEST_F(PictureDisplayTest, MissingEmptyOrNonPictureFilesLeaveAVisibleMarkAndALogLine) {
  const std::string empty = folder.Write("in/empty.gif", "");
  const std::string text = folder.Write("in/notes.gif", "these are words, not a picture");
  for (const std::string& source : {empty, text}) {
    SCOPED_TRACE(source);
    ASSERT_TRUE(Generate(source, Placeholder()).IsOk());
    const DomNode mark = Find("body//span[. = '<picture missing>']");
    EXPECT_TRUE(mark);
    EXPECT_FALSE(Find("body//v:shape"));
    EXPECT_FALSE(Find("body//img"));
    EXPECT_FALSE(Find("body//SCRIPT"));
    EXPECT_NE(log.find(HostString(40076)), std::string::npos) << log;
    EXPECT_NE(log.find(source), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(folder.Path("page_files/newimage001.gif")));
  }

  // A picture file that does not exist.
  g_diagramPath = folder.Path("in/gone.gif");
  ASSERT_TRUE(GenerateBody("<span QuireQuery=\"C:d:Pics:Plain:Name=plan\">x</span>"
                           "<span QuireQuery=\"F:d:Pics:Plain::Picture:GAA:\">" +
                           Placeholder() + "</span>")
                  .IsOk());
  EXPECT_TRUE(Find("body//span[. = '<picture missing>']"));
  EXPECT_NE(log.find(HostString(40076)), std::string::npos) << log;
  EXPECT_NE(log.find(g_diagramPath), std::string::npos) << log;
}

TEST_F(PictureDisplayTest, MappedObjectsBecomePolygonAreasOfAnImageMap) {
  g_diagramPath = folder.Write("in/plan.gif", kGif2x3);
  const std::string display = "<span QuireQuery=\"F:d:Pics:Diagram::Picture:GAA:\">" +
                              Placeholder("width:9pt;height:9pt", "<w:bordertop type=\"s\"/>") +
                              "</span>";
  ASSERT_TRUE(
      GenerateBody("<span QuireQuery=\"C:d:Pics:Diagram:Name=plan\">x</span>" + display).IsOk())
      << log;
  const DomNode map = Find("body//map");
  ASSERT_TRUE(map) << document->xml();
  EXPECT_EQ(map.getAttribute("name"), "mymap1");
  const platform::DomNodeList areas = map.selectNodes("area");
  ASSERT_EQ(areas.length(), 2u);
  EXPECT_EQ(areas.item(0).getAttribute("shape"), "Polygon");
  EXPECT_EQ(areas.item(0).getAttribute("coords"), "0,0,1,0,1,1");
  EXPECT_EQ(areas.item(1).getAttribute("coords"), "1,1,2,2,1,2");
  EXPECT_EQ(areas.item(0).getAttribute("href"),
            "JavaScript:getPage('Pics:Diagram:Name=a b','','','0','','','0')");
  EXPECT_EQ(areas.item(1).getAttribute("href"),
            "JavaScript:getPage('Pics:Diagram:Name=it\\x27s\\x5Cx','','','0','','','0')");
  // The map wins over the template's border.
  const std::string script = FallbackScript();
  EXPECT_NE(script.find("usemap=#mymap1"), std::string::npos) << script;
  EXPECT_NE(script.find("border=0"), std::string::npos) << script;

  // A class without the mapping attributes gets no map.
  const std::string plain =
      "<span QuireQuery=\"F:d:Pics:Plain::Picture:GAA:\">" + Placeholder() + "</span>";
  ASSERT_TRUE(GenerateBody("<span QuireQuery=\"C:d:Pics:Plain:Name=plan\">x</span>" + plain).IsOk())
      << log;
  EXPECT_FALSE(Find("body//map"));
  EXPECT_EQ(FallbackScript().find("usemap"), std::string::npos);
}

}  // namespace
