// Filtered listings evaluated in SQL, compared with the same rows chosen by hand.
#include <functional>

#include "foundation/pattern_match.h"
#include "kestrel_test_support.h"

namespace {

using namespace kestrel_test;
using kestrel::ArtifactFilter;

ArtifactFilter Condition(const std::string& property, int32_t op, Variant value) {
  ArtifactFilter filter;
  filter.kind = ArtifactFilter::Kind::kCondition;
  filter.property = property;
  filter.relationalOperator = op;
  filter.value = std::move(value);
  return filter;
}

ArtifactFilter Group(ArtifactFilter::Kind kind, std::vector<ArtifactFilter> children) {
  ArtifactFilter filter;
  filter.kind = kind;
  filter.children = std::move(children);
  return filter;
}

// The command language's like: the pattern found anywhere; an empty text matches only "".
bool Like(const Variant& value, const std::string& pattern) {
  if (value.IsEmpty()) return false;
  const std::string text = value.AsString();
  if (text.empty()) return pattern.empty();
  CX_TREPatternMatch matcher(pattern);
  return matcher.IsValid() && matcher.Find(text, 0) >= 0;
}

class KestrelFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(store_.Path("shop.db"), R"(
CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT COLLATE NOCASE, qty INTEGER, price REAL,
                   ok BOOLEAN, day DATE, extra);
INSERT INTO item VALUES
  (1, 'abc', 5, 1.5, 1, '2024-01-01', 1), (2, 'ABC', 10, 2.5, 0, '2024-01-02 10:00:00', 2),
  (3, 'xaxbc', 15, 3.5, 1, '2023-12-31', 3), (4, 'a?c', 20, 4.5, 0, NULL, 4),
  (5, 'zzz', NULL, NULL, NULL, '2024-01-02', 5), (6, NULL, 7, 0.5, 1, '2024-02-01', 6),
  (7, '', 8, 9.5, 0, '2024-01-02 10:00:00', 7), (8, 'bbbb', 30, 7.5, 1, '2025-06-30', 8),
  (9, 'mid dle', 12, 6, 1, '2024-01-01 00:00:01', 9), (10, 'ac', 1, 1, 0, '2024-01-05', 10);
)");
    session_ = OpenStore(store_.Path());
    root_ = session_->ArtifactById("shop:Database:Name=shop");
    items_ = Named(*root_->Type()->RelationshipDefinitions(), "item");
  }

  std::vector<std::string> InSql(const ArtifactFilter& filter) {
    return Names(*root_->Related(*items_, filter));
  }

  std::vector<std::string> ByHand(const std::function<bool(const kestrel::Artifact&)>& keep) {
    std::vector<std::string> names;
    for (const auto& item : Items(*root_->Related(*items_))) {
      if (keep(*item)) names.push_back(item->Name());
    }
    return names;
  }

  test_support::TempFolder store_{"kestrel_filter"};
  std::shared_ptr<kestrel::Session> session_;
  std::shared_ptr<kestrel::Artifact> root_;
  std::shared_ptr<kestrel::RelationshipDefinition> items_;
};

TEST_F(KestrelFilter, ComparisonsGiveTheRowsTheLocalFilterWould) {
  auto text = [](const kestrel::Artifact& a) { return ValueOf(a, "name"); };
  auto number = [](const kestrel::Artifact& a, const char* p) { return ValueOf(a, p); };
  // Texts compare byte by byte, whatever collation the column declares.
  EXPECT_EQ(InSql(Condition("name", 0, Variant("abc"))), std::vector<std::string>{"abc"});
  EXPECT_EQ(InSql(Condition("name", 2, Variant("b"))), ByHand([&](const kestrel::Artifact& a) {
              return !text(a).IsEmpty() && text(a).AsString() < "b";
            }));
  EXPECT_EQ(InSql(Condition("name", 1, Variant("abc"))), ByHand([&](const kestrel::Artifact& a) {
              return text(a).IsEmpty() || text(a).AsString() != "abc";
            }));
  EXPECT_EQ(InSql(Group(ArtifactFilter::Kind::kAll, {Condition("qty", 5, Variant(int32_t{10})),
                                                     Condition("price", 2, Variant(5.0))})),
            ByHand([&](const kestrel::Artifact& a) {
              return !number(a, "qty").IsEmpty() && number(a, "qty").AsInt32() >= 10 &&
                     !number(a, "price").IsEmpty() && number(a, "price").AsDouble() < 5;
            }));
  // Numbers compare as the local filter's 32-bit floats, within its tolerance.
  EXPECT_EQ(InSql(Condition("price", 0, Variant(1.50001))), std::vector<std::string>{"abc"});
  EXPECT_EQ(InSql(Condition("qty", 4, Variant(29.99995))), std::vector<std::string>{});
  EXPECT_EQ(InSql(Condition("qty", 5, Variant::Float(29.99995f))),
            std::vector<std::string>{"bbbb"});
  EXPECT_EQ(InSql(Condition("qty", 1, Variant(int32_t{5}))).size(), 9u);  // NULL included
  const double secondOfJanuary = 45293.0;                                 // 2024-01-02
  EXPECT_EQ(InSql(Group(ArtifactFilter::Kind::kAny,
                        {Condition("ok", 0, Variant(true)),
                         Condition("day", 4, Variant::Date(secondOfJanuary))})),
            ByHand([&](const kestrel::Artifact& a) {
              const Variant ok = ValueOf(a, "ok");
              const Variant day = ValueOf(a, "day");
              return (!ok.IsEmpty() && ok.AsBool()) ||
                     (!day.IsEmpty() && day.AsDate() > secondOfJanuary);
            }));
  EXPECT_EQ(InSql(Condition("day", 0, Variant::Date(secondOfJanuary + 10.0 / 24))),
            (std::vector<std::string>{"ABC", ""}));
  EXPECT_EQ(InSql(Group(ArtifactFilter::Kind::kAny, {})), std::vector<std::string>{});
  EXPECT_EQ(InSql(Group(ArtifactFilter::Kind::kAll, {})).size(), 10u);
}

TEST_F(KestrelFilter, LikeIsTheCommandLanguagesPatternSearch) {
  for (const std::string pattern :
       {"a?c", "b*", "ab*c", "a?*c", "A", "x{a-b}", "~ab", "\\?", "*x", "{", "d d", "bbbbb"}) {
    EXPECT_EQ(InSql(Condition("name", 6, Variant(pattern))),
              ByHand([&](const kestrel::Artifact& a) { return Like(ValueOf(a, "name"), pattern); }))
        << pattern;
    EXPECT_EQ(
        InSql(Condition("name", 7, Variant(pattern))),
        ByHand([&](const kestrel::Artifact& a) { return !Like(ValueOf(a, "name"), pattern); }))
        << pattern;
  }
}

TEST_F(KestrelFilter, ConditionsSqlCannotGiveFaithfullyAreLeftToTheCaller) {
  const ArtifactFilter refused[] = {
      Condition("extra", 0, Variant(int32_t{1})),  // no declared type
      Condition("qty", 6, Variant("1")),           // like on a number
      Condition("name", 0, Variant(int32_t{1})),   // text against a number
      Condition("name", 0, Variant("${HOME}")),    // a setting to expand
      Condition("nothing", 0, Variant("x")),       // no such column
      Condition("ok", 2, Variant(true)),           // Bools are only equal or not
      Group(ArtifactFilter::Kind::kAll,
            {Condition("name", 0, Variant("abc")), Condition("day", 0, Variant("2024-01-01"))}),
  };
  for (const ArtifactFilter& filter : refused) {
    try {
      root_->Related(*items_, filter);
      ADD_FAILURE() << "evaluated: " << filter.property;
    } catch (const platform::ComError& error) {
      EXPECT_EQ(error.Code(), platform::kE_NOTIMPL) << error.Description();
    }
  }
}

}  // namespace
