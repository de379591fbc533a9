// Picture files of generated pages ("newimage" names, old pictures) and DISPLAY of graphic values
// where a page cannot show it: encoded folder names, missing pictures, image maps.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/picture_files.h"
#include "generate/web_page_generator.h"
#include "generation_fixture.h"
#include "model/picture_request.h"
#include "model/quire_standard_domain.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"

namespace {

namespace fs = std::filesystem;
using platform::DomNode;
using test_support::TempFolder;

const std::string kGif2x3(
    "\x47\x49\x46\x38\x39\x61\x02\x00\x03\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF\x2C\x00\x00\x00"
    "\x00\x02\x00\x03\x00\x00\x02\x05\x04\x41\x10\x04\x51\x00\x3B",
    38);

TEST(PictureFiles, NumbersFollowTheHighestPictureOfTheSameExtension) {
  TempFolder folder;
  folder.Write("newimage007.gif", "x");
  folder.Write("newimage012.gif", "x");
  folder.Write("newimage500x.gif", "x");  // not a number
  EXPECT_EQ(NextPictureName(folder.Path(), "gif"), "newimage013.gif");
  EXPECT_EQ(NextPictureName(folder.Path(), "jpg"), "newimage001.jpg");
}

TEST(PictureFiles, RemoveOldPicturesDeletesOnlyGeneratedGifs) {
  TempFolder folder;
  for (const char* name :
       {"newimage001.gif", "NewImage002.GIF", "newimage003.jpg", "image001.gif", "newimage.txt"}) {
    folder.Write("page_files/" + std::string(name), "x");
  }
  RemoveOldPictures(folder.Path("page_files"));
  EXPECT_FALSE(fs::exists(folder.Path("page_files/newimage001.gif")));
  EXPECT_FALSE(fs::exists(folder.Path("page_files/NewImage002.GIF")));
  for (const char* kept : {"image001.gif", "newimage.txt", "newimage003.jpg"}) {
    EXPECT_TRUE(fs::exists(folder.Path("page_files/" + std::string(kept)))) << kept;
  }
}

std::string g_diagramPath;
// The image name the last picture was asked with.
std::string g_imageName;

void DiagramPicture(QuireValue& result, const QuireObject& /*object*/, const std::string& imageName,
                    QuireStatus& status) {
  g_imageName = imageName;
  status = QuireStatus();
  if (g_diagramPath.empty()) {
    status = QuireStatus(kNoResult, "no picture");
    return;
  }
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
    QuireClass diagram = addClass("Diagram");
    const std::vector<QuireAttribute> attributes = {
        {"Name", QuireType::STRING, diagram},
        {"Picture", diagram, &DiagramPicture},
        {"MappedPoints", QuireType::STRING, diagram, &MappedPoints},
        {"MappedArtifacts", QuireType::STRING, diagram, &MappedArtifacts}};
    for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
      diagram.attributeList(which) = attributes;
    }
    diagram.constructorArguments() = {attributes.front()};
    diagram.setConstructorEntry(&MakeDiagram);
  }

 private:
  static void MakeDiagram(QuireObject& result, const QuireArgumentValues& values,
                          QuireStatus& status) {
    status = QuireStatus();
    const QuireClass diagram = values.front().attribute().getClass();
    const std::string name = values.front().textValue();
    result = QuireObject(std::make_unique<test_support::KeyedObject>(
        diagram, name,
        QuireArgumentValues{{diagram.constructorArguments().front(), QuireValue(name)}}));
  }
};

// Word's placeholder of a picture: the shape type, the shape and the fallback image.
std::string Placeholder(const std::string& style = "width:90pt;height:60pt") {
  return "<v:shapetype id=\"_x0000_t75\" coordsize=\"21600,21600\"/>"
         "<v:shape id=\"_x0000_i1025\" type=\"#_x0000_t75\" style=\"" +
         style +
         "\"><v:imagedata src=\"page_files/image001.png\" cropbottom=\"5f\"/></v:shape>"
         "<img width=\"120\" height=\"80\" src=\"page_files/image002.gif\" style=\"x:1\" "
         "v:shapes=\"_x0000_i1025\"/><SCRIPT>old</SCRIPT>";
}

class PictureDisplayTest : public test_support::GenerationFixture<> {
 protected:
  static void SetUpTestSuite() {
    GenerationFixture::SetUpTestSuite();
    DomainRegistry& registry = DomainRegistry::instance();
    if (!registry.hasDomainNamed("Pics")) registry.registerDomain(std::make_unique<PicsDomain>());
  }

  // Generates a page that shows the diagram picture `picture` in `placeholder`.
  QuireStatus Generate(const std::string& picture, const std::string& placeholder,
                       const std::string& pageName = "page.htm") {
    g_diagramPath = picture;
    const std::string body =
        "<span QuireQuery=\"C:d:Pics:Diagram:Name=plan\">x</span><p><span "
        "QuireQuery=\"F:d:Pics:Diagram::Picture:GAA:\">" +
        placeholder + "</span></p>";
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

TEST_F(PictureDisplayTest, BlanksAndQuotesInTheFolderNameAreEncodedInTheSource) {
  const std::string source = folder.Write("in/cover.gif", kGif2x3);
  // Nothing in the name may end the script's string or the comment it is written in.
  ASSERT_TRUE(Generate(source, Placeholder(), "it's \"a\\b<c>.htm").IsOk());
  EXPECT_EQ(Find("body//v:imagedata").getAttribute("src"),
            "./it%27s%20%22a%5Cb%3Cc%3E_files/newimage001.gif");
  EXPECT_EQ(FallbackScript().find('\\'), std::string::npos) << FallbackScript();
  EXPECT_EQ(FallbackScript().find('\''), std::string::npos) << FallbackScript();
}

TEST_F(PictureDisplayTest, MissingEmptyOrNonPictureFilesLeaveAVisibleMarkAndALogLine) {
  const std::string empty = folder.Write("in/empty.gif", "");
  const std::string text = folder.Write("in/notes.gif", "these are words, not a picture");
  for (const std::string& source : {empty, text, folder.Path("in/gone.gif")}) {
    SCOPED_TRACE(source);
    ASSERT_TRUE(Generate(source, Placeholder()).IsOk());
    EXPECT_TRUE(Find("body//span[. = '<picture missing>']"));
    EXPECT_NE(log.find(HostString(host_message::kPictureNotWritten)), std::string::npos) << log;
    EXPECT_NE(log.find(source), std::string::npos) << log;
  }
  // A diagram without a picture at all: the placeholder empties, with no mark and no log line.
  ASSERT_TRUE(Generate("", Placeholder()).IsOk());
  const DomNode shown = Find("body/p/span");
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown.xml(), "<span QuireQuery=\"F:d:Pics:Diagram::Picture:GAA:\"/>");
  EXPECT_EQ(log.find(HostString(host_message::kPictureNotWritten)), std::string::npos) << log;
}

TEST_F(PictureDisplayTest, ThePictureIsAskedInThePlaceholdersFormatAndSize) {
  const std::string source = folder.Write("in/plan.gif", kGif2x3);
  struct Case {
    std::string placeholder, format;
    double width, height;
  };
  const std::vector<Case> cases = {
      {Placeholder(), "png", 1.25, 60.0 / 72},
      {"<v:shape style=\"width:1in;height:.5in\"><v:imagedata src=\"p/IMAGE003.JPEG\"/>"
       "</v:shape>",
       "jpg", 1, 0.5},
      {"<img src=\"p/old.gif\" width=\"50\" height=\"50\"/>", "gif", 0, 0},
      {"<img src=\"p/old.wmf\"/>", "png", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.placeholder);
    ASSERT_TRUE(Generate(source, c.placeholder).IsOk()) << log;
    PictureRequest request;
    ASSERT_TRUE(PictureRequest::read(g_imageName, request)) << g_imageName;
    EXPECT_EQ(request.path, "");
    EXPECT_EQ(request.format, c.format);
    EXPECT_DOUBLE_EQ(request.width, c.width);
    EXPECT_DOUBLE_EQ(request.height, c.height);
    EXPECT_EQ(request.unit, PictureRequest::kInches);
  }
}

TEST_F(PictureDisplayTest, MappedObjectsBecomePolygonAreasOfAnImageMap) {
  ASSERT_TRUE(Generate(folder.Write("in/plan.gif", kGif2x3), Placeholder()).IsOk()) << log;
  const DomNode map = Find("body//map");
  ASSERT_TRUE(map) << document->xml();
  const platform::DomNodeList areas = map.selectNodes("area");
  ASSERT_EQ(areas.length(), 2u);
  EXPECT_EQ(areas.item(0).getAttribute("shape"), "Polygon");
  EXPECT_EQ(areas.item(1).getAttribute("coords"), "1,1,2,2,1,2");
  EXPECT_EQ(areas.item(1).getAttribute("href"),
            "JavaScript:getPage('Pics:Diagram:Name=it\\x27s\\x5Cx','','','0','','','0')");
  EXPECT_NE(FallbackScript().find("usemap=#mymap1"), std::string::npos) << FallbackScript();
}

}  // namespace
