// The template check over Word comments: each kind of fault is found at the comment that holds
// it, a sound template passes, the place of a command survives annotation into the errors of
// generation, and odd input stays cheap.
#include "generate/template_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/template_annotator.h"
#include "generate/web_page_generator.h"
#include "generation_fixture.h"
#include "model/quire_standard_domain.h"
#include "platform/dom/dom_document.h"
#include "tests/common/test_support.h"
#include "word_comments.h"

namespace {

using platform::DomDocument;
using test_support::Mark;

struct Comment {
  std::string label;
  std::string text;
  std::string before = "";  // author's text before the mark in its paragraph
  std::string after = "";   // and after it
};

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

// A Word page with one paragraph per comment (its text around the mark) and the comment list.
std::string WordPage(const std::vector<Comment>& comments) {
  std::string section;
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < comments.size(); ++i) {
    section += "<p class=\"MsoNormal\">" + Escaped(comments[i].before) +
               Mark(static_cast<int>(i + 1), comments[i].label) + Escaped(comments[i].after) +
               "</p>";
    texts.push_back(Escaped(comments[i].text));
  }
  return test_support::WordPage(section, texts);
}

std::shared_ptr<DomDocument> Parsed(const std::string& xml) {
  auto document = DomDocument::Create();
  EXPECT_TRUE(document->loadXML(xml)) << document->parseError().reason;
  return document;
}

const std::string kOpen = "C:d:FileSys:Directory:FullName=";
const std::string kFiles = test_support::kFilesByName;
const std::string kFileName = "F:f:FileSys:File::SimpleName:SAA:";

// A sound template: the folder's name, then its files by name.
std::vector<Comment> SoundComments() {
  return {{"[OPEN1]", kOpen},
          {"[DISPLAY2]", "F:d:FileSys:Directory::SimpleName:SAA:", "Folder: ", " <Name>"},
          {"[MASTER3]", "M:files"},
          {"[REPEAT4]", kFiles},
          {"[DISPLAY5]", kFileName, "File ", "<Name>"},
          {"[ENDREP6]", kFiles},
          {"[ENDMAST7]", "M:files"}};
}

std::vector<std::string> Lines(const std::vector<TemplateProblem>& problems) {
  std::vector<std::string> lines;
  for (const TemplateProblem& problem : problems) lines.push_back(ProblemLine(problem));
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class TemplateCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_support::LoadSampleHostStrings();
    test_support::RegisterFileSysDomain();
  }

  static std::vector<TemplateProblem> Check(const std::vector<Comment>& comments) {
    return CheckTemplate(*Parsed(WordPage(comments)));
  }

  // The problem lines of the comment labelled `label` (the label begins each of them).
  static std::vector<std::string> At(const std::vector<TemplateProblem>& problems,
                                     const std::string& label) {
    std::vector<std::string> lines;
    for (const TemplateProblem& problem : problems) {
      if (problem.label == label) lines.push_back(ProblemLine(problem));
    }
    return lines;
  }

  // Annotates `document` (which must succeed) and generates it as "page.htm" of `folder` for the
  // folder itself.
  static QuireStatus Generate(const std::shared_ptr<DomDocument>& document,
                              TemplateAnnotator& annotator, test_support::TempFolder& folder,
                              ErrorCollector& errors) {
    QuireStatus status;
    EXPECT_TRUE(annotator.annotateTemplate(status)) << status.Message();
    WebPageGenerator generator(document, folder.Path("page.htm"), errors);
    std::optional<std::string> outline;
    return generator.generatePage("FileSys:Directory:FullName=" + folder.Path(), "http://portal",
                                  "template", outline);
  }

  static void ExpectOne(const std::vector<TemplateProblem>& problems, const std::string& label,
                        const std::vector<std::string>& parts) {
    const std::vector<std::string> lines = At(problems, label);
    ASSERT_EQ(lines.size(), 1u) << label << "\n" << Joined(Lines(problems));
    EXPECT_EQ(lines[0].rfind(label, 0), 0u) << lines[0];
    for (const std::string& part : parts)
      EXPECT_NE(lines[0].find(part), std::string::npos) << "no \"" << part << "\" in " << lines[0];
  }
};

TEST_F(TemplateCheckTest, SoundTemplatePasses) {
  const std::vector<TemplateProblem> problems = Check(SoundComments());
  EXPECT_TRUE(problems.empty()) << Joined(Lines(problems));
}

TEST_F(TemplateCheckTest, NamesTheLabelTextAndCommandOfUnknownNames) {
  std::vector<Comment> comments = SoundComments();
  comments.push_back({"[DISPLAY8]", "F:d:FileSys:Directory::SimpleNam:SAA:", "Name: ", "<Nm>"});
  comments.push_back({"[DISPLAY9]", "F:d:FileSystem:Directory::SimpleName:SAA:"});
  comments.push_back({"[DISPLAY10]", "F:d:FileSys:Folder::SimpleName:SAA:"});
  comments.push_back({"[DISPLAY11]", "F:d:FileSys:Directory:U=Parnt:SimpleName:SAA:"});
  const std::string badKey =
      "R:g:FileSys:File:d:FileSys:Directory:N=Contents:::A:FileSys:DirectoryObject::SimpleNme";
  comments.push_back({"[MASTER12]", "M:bad"});
  comments.push_back({"[REPEAT13]", badKey});
  comments.push_back({"[ENDREP14]", badKey});
  comments.push_back({"[ENDMAST15]", "M:bad"});
  const std::vector<TemplateProblem> problems = Check(comments);
  ExpectOne(problems, "[DISPLAY8]",
            {"near \"Name: <Nm>\"", "| F:d:FileSys:Directory::SimpleNam:SAA: |",
             "has no attribute \"SimpleNam\"", "closest: SimpleName"});
  ExpectOne(problems, "[DISPLAY9]", {"no domain \"FileSystem\"", "closest: FileSys"});
  ExpectOne(problems, "[DISPLAY10]", {"domain FileSys has no class \"Folder\"", "closest: "});
  ExpectOne(problems, "[DISPLAY11]", {"no relationship for the step \"U=Parnt\"", "closest: "});
  ExpectOne(problems, "[REPEAT13]",
            {"sort key names the attribute \"SimpleNme\"", "closest: SimpleName"});
  EXPECT_EQ(problems.size(), 5u) << Joined(Lines(problems));
}

TEST_F(TemplateCheckTest, FindsFaultsOfStructureModifiersAndVariables) {
  std::vector<Comment> comments = SoundComments();
  const std::string omit = "S:o:FileSys:Directory:d:FileSys:Directory:..OMIT";
  comments.push_back({"[DISPLAY8]", "F:d:FileSys:Directory::SimpleName:NFA:"});
  comments.push_back({"[LIMIT9]", omit});
  comments.push_back({"[ENDLIM10]", omit});
  comments.push_back({"[ENDREP11]", kFiles});
  comments.push_back({"[DISPLAY12]", "F:x:FileSys:File::SimpleName:SAA:"});
  comments.push_back({"[DISPLAY13]", kFileName});  // "f" is bound only inside the REPEAT
  comments.push_back({"[REPEAT14]", kFiles});
  comments.push_back({"[REPEAT15]", "F:d:FileSys:Directory::SimpleName:SAA:"});
  comments.push_back({"[MASTER16]", "M:more"});
  comments.push_back({"[DISPLAY17]", "F:d:FileSys:Directory::SimpleName:SAA:"});
  comments.push_back({"[ENDMAST18]", "M:more"});
  comments.push_back({"[DISPLAY19]", "F:d:FileSys:File::SimpleName:SAA:"});
  const std::vector<TemplateProblem> problems = Check(comments);
  ExpectOne(problems, "[DISPLAY8]", {"modifier \"NFA\"", "formats only NUMBER", "STRING"});
  ExpectOne(problems, "[LIMIT9]", {"OMIT decides by the REPEAT of a MASTER", "there is none"});
  ExpectOne(problems, "[ENDREP11]", {"ENDREP without a start"});
  ExpectOne(problems, "[DISPLAY12]", {"variable \"x\" is not bound"});
  ExpectOne(problems, "[DISPLAY13]", {"variable \"f\" is not bound"});
  const std::vector<std::string> repeat = At(problems, "[REPEAT14]");
  ASSERT_EQ(repeat.size(), 2u) << Joined(Lines(problems));
  EXPECT_NE(repeat[0].find("no later [ENDREP] comment"), std::string::npos) << repeat[0];
  EXPECT_NE(repeat[1].find("first command inside a MASTER"), std::string::npos) << repeat[1];
  ExpectOne(problems, "[REPEAT15]", {"does not fit the command text, which is a DISPLAY"});
  ExpectOne(problems, "[MASTER16]", {"must be its REPEAT, not [DISPLAY17]"});
  ExpectOne(problems, "[DISPLAY19]", {"holds Directory objects (bound at [OPEN1]), not File"});
  // Template order, whatever the order of finding.
  for (std::size_t i = 1; i < problems.size(); ++i)
    EXPECT_LE(problems[i - 1].order, problems[i].order);
}

TEST_F(TemplateCheckTest, OddInputGetsAClearAnswerQuickly) {
  // A label twice, a command text of a megabyte, more marks than comment texts.
  std::vector<Comment> comments = SoundComments();
  comments.push_back({"[DISPLAY2]", "F:d:FileSys:Directory::FullName:SAA:"});
  const std::string huge = "F:d:FileSys:Directory::" + std::string(1 << 20, 'a') + ":SAA:";
  comments.push_back({"[DISPLAY9]", huge});
  std::string page = WordPage(comments);
  page.insert(page.find("</div><div style=\"mso-element:comment-list\""),
              "<p>" + Mark(99, "[DISPLAY10]") + "</p>");
  const auto start = std::chrono::steady_clock::now();
  const std::vector<TemplateProblem> problems = CheckTemplate(*Parsed(page));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  const std::vector<std::string> twice = At(problems, "[DISPLAY2]");
  ASSERT_EQ(twice.size(), 1u) << Joined(Lines(problems));
  EXPECT_NE(twice[0].find("appears again (first at comment 2)"), std::string::npos) << twice[0];
  const std::vector<std::string> long_ = At(problems, "[DISPLAY9]");
  ASSERT_EQ(long_.size(), 1u);
  EXPECT_NE(long_[0].find("(" + std::to_string(huge.size()) + " characters)"), std::string::npos);
  EXPECT_NE(long_[0].find("more than 65536"), std::string::npos);
  EXPECT_LT(long_[0].size(), 600u);
  ASSERT_FALSE(problems.empty());
  EXPECT_EQ(
      ProblemLine(problems.back()).rfind("template | 10 comment marks but 9 comment texts", 0), 0u)
      << ProblemLine(problems.back());
}

// A domain of ten thousand classes: names are suggested from all of them in bounded time.
class ManyClasses : public QuireStandardDomain {
 public:
  ManyClasses() : QuireStandardDomain("Many") {}
  void loadSchema(QuireStatus& status) override {
    for (int i = 0; i < 10000; ++i) {
      QuireClass cls = addClass("Class" + std::to_string(i));
      cls.attributeList(QuireFeatureList::kFirst)
          .emplace_back("Value" + std::to_string(i), QuireType::STRING, cls);
    }
    status = QuireStatus();
  }
};

TEST_F(TemplateCheckTest, SchemaOfTenThousandClasses) {
  DomainRegistry& registry = DomainRegistry::instance();
  if (!registry.hasDomainNamed("Many")) registry.registerDomain(std::make_unique<ManyClasses>());
  const auto start = std::chrono::steady_clock::now();
  const std::vector<TemplateProblem> problems =
      Check({{"[OPEN1]", "C:m:Many:Class9999:"},
             {"[DISPLAY2]", "F:m:Many:Class9999::Value9999:SAA:"},
             {"[DISPLAY3]", "F:m:Many:Clas9998::Value9998:SAA:"}});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ASSERT_EQ(problems.size(), 1u) << Joined(Lines(problems));
  EXPECT_NE(ProblemLine(problems[0]).find("Class9998"), std::string::npos)
      << ProblemLine(problems[0]);
}

TEST_F(TemplateCheckTest, ThreeFaultsAreReportedEachAtItsLabelInTemplateOrder) {
  test_support::TempFolder folder("check");
  folder.Write("a.txt", "a");
  const std::vector<Comment> comments = {
      {"[OPEN1]", kOpen},
      {"[DISPLAY2]", "F:d:FileSys:Directory::SimpleNam:SAA:", "Folder ", "<Name>"},
      {"[DISPLAY3]", "F:d:FileSys:Directory::FullName:SAA:", "Path ", "<Path>"},
      {"[DISPLAY4]", "F:q:FileSys:Directory::SimpleName:SAA:", "Other ", "<Name>"},
      {"[ENDREP5]", kFiles, "", "end"}};
  const auto document = Parsed(WordPage(comments));
  TemplateAnnotator annotator(document);
  ErrorCollector errors("page.htm");
  ASSERT_FALSE(Generate(document, annotator, folder, errors).IsOk());
  AddTemplateProblems(annotator.comments(), errors);
  const std::vector<std::string>& messages = errors.messages();
  ASSERT_EQ(messages.size(), 4u) << Joined(messages);
  // The walk's own messages for the DISPLAY it stopped at, each naming the comment, then what
  // the check adds.
  EXPECT_EQ(messages[0].rfind("[DISPLAY2] near \"Folder <Name>\": ", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find("SimpleNam"), std::string::npos) << messages[0];
  EXPECT_EQ(messages[1].rfind("[DISPLAY2] near \"Folder <Name>\": ", 0), 0u) << messages[1];
  EXPECT_NE(messages[1].find("in F:d:FileSys:Directory::SimpleNam:SAA:"), std::string::npos);
  EXPECT_EQ(messages[2].rfind("[DISPLAY4] near \"Other <Name>\" | ", 0), 0u) << messages[2];
  EXPECT_EQ(messages[3].rfind("[ENDREP5] near \"end\" | ", 0), 0u) << messages[3];
  // The places were for the errors only: the page keeps none of them.
  EXPECT_EQ(document->selectNodes("//*[@QuireLabel]").length(), 0u);
}

// A page that generates keeps no place either: the copies' places go with each copy, and a place
// the author typed on an element that is no command goes too.
TEST_F(TemplateCheckTest, AGeneratedPageKeepsNoPlaces) {
  test_support::TempFolder folder("places");
  folder.Write("first.txt", "1");
  folder.Write("second.txt", "2");
  for (const bool typed : {false, true}) {
    std::string page = WordPage(SoundComments());
    const std::size_t paragraph = page.find("<p class=\"MsoNormal\">");
    ASSERT_NE(paragraph, std::string::npos);
    if (typed) page.insert(paragraph + 2, " QuireLabel=\"9 [typed]\"");
    const auto document = Parsed(page);
    TemplateAnnotator annotator(document);
    ErrorCollector errors("page.htm");
    const QuireStatus status = Generate(document, annotator, folder, errors);
    ASSERT_TRUE(status.IsOk()) << status.Text();
    const std::string xml = document->xml();
    EXPECT_NE(xml.find("first.txt"), std::string::npos) << xml;
    EXPECT_NE(xml.find("second.txt"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("QuireLabel"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("QuireNear"), std::string::npos) << xml;
  }
}

TEST(ErrorCollectorOrderTest, MessagesAboutCommentsStandInTemplateOrder) {
  ErrorCollector errors("page.htm");
  errors.addAt(5, "five");
  errors.add("general");
  errors.addAt(2, "two");
  errors.addAt(5, "five again");
  errors.addAt(9, "nine");
  EXPECT_EQ(errors.messages(),
            (std::vector<std::string>{"two", "five", "five again", "general", "nine"}));
  EXPECT_TRUE(errors.hasMessageAt(5));
  EXPECT_FALSE(errors.hasMessageAt(3));
  EXPECT_FALSE(errors.hasMessageAt(0));
}

TEST(ClosestNamesTest, RanksByEditDistanceIgnoringCase) {
  EXPECT_EQ(ClosestNames("simplenam", {"FullName", "SimpleName", "Extension", "NamePrefix"}, 2),
            (std::vector<std::string>{"SimpleName", "FullName"}));
  EXPECT_TRUE(ClosestNames("x", {}).empty());
}

}  // namespace
