#include "agent/template_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "agent/template_loading.h"
#include "generate/template_annotator.h"
#include "platform/html_to_xml.h"
#include "test_support.h"

namespace {

const std::string kDynCom = "<style id=\"dynCom\" type=\"text/css\"><!-- --></style>";

std::string Convert(const std::string& text) { return platform::ConvertHtmlToXml(text, true); }

struct Case {
  const char* name;
  std::string input, expected;
};

void ExpectConversions(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    EXPECT_EQ(Convert(c->input), c->expected);
  }
}

TEST(TemplateConversionTest, TagsAreClosedAndTheirValuesQuoted) {
  const Case cases[] = {
      {"br before text and a tag", "<p>a<br>b<b>c</b></p>", "<p>a<br/>b<b>c</b></p>"},
      {"br with its own end", "<p>a<br>b</br></p>", "<p>a<br>b</br></p>"},
      {"br at the end", "x<br clear=all style='a:b'>", "x<br clear=\"all\" style='a:b'/>"},
      {"p before a cell end", "<td><p class=x>a</td>", "<td><p class=\"x\"/>a</td>"},
      {"p before its own end", "<td><p class=x>a</p></td>", "<td><p class=\"x\">a</p></td>"},
      {"p before an opening tag", "<p class=x><b>a</b></p>", "<p class=\"x\"><b>a</b></p>"},
      {"img unquoted", "<img src=a.png width=3>", "<img src=\"a.png\" width=\"3\"/>"},
      {"img already closed", "<img src='a.png' />", "<img src='a.png' />"},
      {"meta, link, hr", "<meta name=a><link rel=b><hr>",
       "<meta name=\"a\"/><link rel=\"b\"/><hr/>"},
      {"quoted > kept in the value", "<a title=\"x > y\" href='#a'>t</a>",
       "<a title=\"x > y\" href='#a'>t</a>"},
      {"value ends at a line end", "<td\r\nwidth=5\r\nvalign=top>",
       "<td\r\nwidth=\"5\"\r\nvalign=\"top\">"},
      {"minimized attribute", "<td nowrap valign=top>", "<td nowrap=\"nowrap\" valign=\"top\">"},
      {"upper-case void tags", "<P ALIGN=X>a</TD><BR><IMG SRC=a>",
       "<P ALIGN=\"X\"/>a</TD><BR/><IMG SRC=\"a\"/>"},
      {"namespace tag dropped", "<p><?xml:namespace prefix = o ns=\"urn:x\" /><o:p></o:p></p>",
       "<p><o:p></o:p></p>"},
  };
  ExpectConversions(std::begin(cases), std::end(cases));
}

TEST(TemplateConversionTest, EntitiesAreRewrittenOrKept) {
  const Case cases[] = {
      {"nbsp dropped", "<p>a&nbsp;b</p>", "<p>ab</p>"},
      {"nbsp before </o:p>", "<o:p>&nbsp;</o:p>", "<o:p><!--nbsp;--></o:p>"},
      {"guillemets", "&laquo;Name&raquo;", "&lt;&lt;Name&gt;&gt;"},
      {"middle dot", "a&middot;", "a\xB7"},
      {"HTML entities as numeric references", "&copy;&eacute;&euro;", "&#169;&#233;&#8364;"},
      {"XML entities and lone ampersands unchanged", "&amp; &#8211; & &nbsp &bogus;",
       "&amp; &#8211; & &nbsp &bogus;"},
  };
  ExpectConversions(std::begin(cases), std::end(cases));
}

TEST(TemplateConversionTest, ConditionalsGoAndLeaveMarkers) {
  const Case cases[] = {
      {"list bullet after a tag", "<p><![if !supportLists]>1.<![endif]>a</p>",
       "<p><!--list=true-->1.a</p>"},
      {"list bullet after text", "<p>\n<![if !supportLists]>1.<![endif]>a</p>", "<p>\n1.a</p>"},
      {"empty paragraph", "<p class=a><![if !supportEmptyParas]>&nbsp;<![endif]><o:p></o:p></p>",
       "<p class=\"a\"><!-- nbsp=\"True\"--><o:p></o:p></p>"},
      {"vml kept",
       "<!--[if gte vml 1]><v:shape a=\"1\"/><![endif]--><![if !vml]><img src=b><![endif]>",
       "<v:shape a=\"1\"/><img src=\"b\"/>"},
      {"math run dropped from a comment",
       "<!--[if gte mso 9]><xml><w:W><m:mathPr><m:b "
       "m:val=\"--\"/></m:mathPr></w:W></xml><![endif]-->",
       "<!--[if gte mso 9]><xml><w:W><</w:W></xml><![endif]-->"},
      {"unpaired math marker", "<!-- m:mathPr x -->", "<!-- x -->"},
      {"comment copied whole", "<!-- <p class=a>&nbsp; -->x", "<!-- <p class=a>&nbsp; -->x"},
  };
  ExpectConversions(std::begin(cases), std::end(cases));
  EXPECT_EQ(platform::ConvertHtmlToXml(
                "a<!--[if gte vml 1]><v:shape/><![endif]-->b<![if !vml]>c<![endif]>", false),
            "abc");
}

TEST(TemplateConversionTest, ScriptGetsTheDynamicStyleOnce) {
  EXPECT_EQ(Convert("<head><script>x</script>"), "<head>" + kDynCom + "<script>x</script>");
  EXPECT_EQ(Convert(kDynCom + "\r\n<script>x</script>"), kDynCom + "\r\n<script>x</script>");
}

TEST(TemplateConversionTest, DeclarationComesFromTheCharset) {
  const std::string meta = "<meta content=\"text/html; charset=windows-1252\">";
  EXPECT_EQ(Convert("<html>" + meta + "</html>"),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><html>" +
                meta.substr(0, meta.size() - 1) + "/></html>");
  EXPECT_EQ(Convert("<html></html>"), "<html></html>");
  const std::string declared = "<?xml version=\"1.0\" encoding=\"utf-8\"?><p>charset=\"x\"</p>";
  EXPECT_EQ(Convert(declared), declared);
}

TEST(TemplateConversionTest, CommandSpanIsClosedAndLosesItsEndBeforeTheFirstDiv) {
  const Case cases[] = {
      {"open span: end removed", "<div><span QuireQuery=\"C:x\">a</SPAN></div></div>",
       "<div><span QuireQuery=\"C:x\"/>a</div></div>"},
      {"closed span: not counted", "<div><span QuireQuery=\"C:x\"/>a</span></div>",
       "<div><span QuireQuery=\"C:x\"/>a</span></div>"},
      {"other command", "<div><span QuireQuery=\"D:x\">a</span></div>",
       "<div><span QuireQuery=\"D:x\">a</span></div>"},
  };
  ExpectConversions(std::begin(cases), std::end(cases));
}

TEST(TemplateConversionTest, BrokenInputEndsWithoutReadingPastIt) {
  const char* inputs[] = {"<",         "&",   "<p class=", "<p class='open", "<!-- open",
                          "<![if",     "<br", "<script",   "<!--m:mathPr",   "<!--[if gte vml 1]>",
                          "\xFF\xFE<>"};
  for (const char* input : inputs) {
    SCOPED_TRACE(input);
    const std::string out = Convert(input);
    EXPECT_LE(out.size(), std::string(input).size() + kDynCom.size() + 4);
  }
  EXPECT_EQ(Convert("<p class=a"), "<p class=\"a\"");
  EXPECT_EQ(Convert("<!-- open"), "<!-- open-->");
}

class TemplateFileTest : public ::testing::Test {
 protected:
  test_support::TempFolder folder_;
};

TEST_F(TemplateFileTest, MissingOrUnreadableFileGivesItsKind) {
  QuireStatus status;
  EXPECT_FALSE(ConvertTemplateToXml(folder_.Path("missing.htm"), status, true));
  EXPECT_EQ(status, QuireStatus(kFileNotFound, ""));
  EXPECT_FALSE(std::filesystem::exists(folder_.Path("missing.htm")));

  EXPECT_FALSE(ConvertTemplateToXml(folder_.Path(), status, true));
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(status.Message(), "Is a directory");
}

TEST_F(TemplateFileTest, LoadFailureNamesReasonLineAndSourceUntilConvertedInPlace) {
  const std::string path = folder_.Write("bad.htm", "<html>\n<p>a&nbsp;b</p></html>");
  auto document = platform::DomDocument::Create();
  std::string message;
  EXPECT_FALSE(LoadTemplate(*document, path, message));
  EXPECT_EQ(message,
            "The entity 'nbsp' is referenced but not defined.\nError on line 2, "
            "position 5 in \"" +
                path + "\".\nSource text: <p>a&nbsp;b</p></html>");
  QuireStatus status(1, "stale");
  ASSERT_TRUE(ConvertTemplateToXml(path, status, true));
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(test_support::ReadFile(path), "<html>\n<p>ab</p></html>");
  EXPECT_TRUE(LoadTemplate(*document, path, message));
  EXPECT_EQ(message, "");
}

// Every Word-saved template converts into a document that loads, with its text decoded, and
// annotates: command comments become command elements, a reviewer's comment stays.
TEST_F(TemplateFileTest, WordTemplatesLoadAndAnnotateAfterConversion) {
  const struct {
    const char* file;
    const char* text;  // UTF-8 text that must survive in the body
    size_t commands;   // QuireQuery elements after annotation
    size_t anchorsLeft;
  } fixtures[] = {
      {"word2003_comments.htm", "project\u2019s name, caf\u00E9 in Lyon", 1, 0},  // an OPEN
      // A DISPLAY in the newer markup, and a reviewer's [TA2] kept.
      {"word2016_comments.htm", "gr\u00FC\u00DFe \u00B7 ok", 1, 1},
      {"word_filtered.htm", "<<Change>>", 0, 0},     // a REPEAT without its end mark is dropped
      {"word97_uppercase.htm", "\u00B7 end", 1, 0},  // a command written as a QuireQuery span
  };
  for (const auto& fixture : fixtures) {
    SCOPED_TRACE(fixture.file);
    const std::string path = folder_.Path(fixture.file);
    std::filesystem::copy_file(std::string(XMLAGENT_TEST_DATA) + "/word/" + fixture.file, path);
    const std::string bytes = test_support::ReadFile(path);
    for (size_t cut = 0; cut < bytes.size(); cut += 61) {  // truncated anywhere: no over-read
      EXPECT_LE(platform::ConvertHtmlToXml(bytes.substr(0, cut), cut % 2).size(), 2 * cut + 64);
    }
    auto document = platform::DomDocument::Create();
    std::string message;
    EXPECT_FALSE(LoadTemplate(*document, path, message));
    QuireStatus status;
    ASSERT_TRUE(ConvertTemplateToXml(path, status, true)) << status.Text();
    EXPECT_TRUE(LoadTemplate(*document, path, message)) << message;
    EXPECT_NE(document->documentElement().text().find(fixture.text), std::string::npos);
    EXPECT_TRUE(TemplateAnnotator(document).annotateTemplate(status)) << status.Text();
    EXPECT_EQ(document->selectNodes("//*[@QuireQuery]").length(), fixture.commands);
    EXPECT_EQ(document->selectNodes("//a[@class='msocomanchor']").length(), fixture.anchorsLeft);
  }
}

TEST_F(TemplateFileTest, NonTemplatesConvertAndFailToLoadWithAMessage) {
  for (const char* text : {"", "just words", "<html><body><p class=\"trunc"}) {
    SCOPED_TRACE(text);
    const std::string path = folder_.Write("x.htm", text);
    QuireStatus status;
    EXPECT_TRUE(ConvertTemplateToXml(path, status, true));
    auto document = platform::DomDocument::Create();
    std::string message;
    EXPECT_FALSE(LoadTemplate(*document, path, message));
    EXPECT_NE(message.find("Error on line 1"), std::string::npos) << message;
  }
}

}  // namespace
