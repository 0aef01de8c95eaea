#include <du/Localizer.h>
#include <du/Symbol.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Symbols, EqualTextsShareOneEntry) {
    const std::string text = "sxmk::Probe";
    const du::Symbol a("sxmk::Probe");
    const du::Symbol b(text);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.c_str(), b.c_str());
    EXPECT_NE(a, du::Symbol("sxmk::Other"));
    EXPECT_EQ(a.str(), text);
}

TEST(Symbols, EmptyTextIsEmptySymbol) {
    EXPECT_EQ(du::Symbol(), du::Symbol::EMPTY);
    EXPECT_EQ(du::Symbol(""), du::Symbol::EMPTY);
    EXPECT_EQ(du::Symbol(static_cast<const char*>(nullptr)), du::Symbol::EMPTY);
    EXPECT_TRUE(du::Symbol::EMPTY.IsEmpty());
    EXPECT_FALSE(du::Symbol("x").IsEmpty());
}

struct LocalizeCase {
    const char* catalog;
    const char* key;
    const char* expected;
};

class Localisation : public ::testing::TestWithParam<LocalizeCase> {};

TEST_P(Localisation, GivesTextOrFallsBackToKey) {
    const LocalizeCase& c = GetParam();
    EXPECT_EQ(du::Localizer(c.catalog).LocalizeMessage(c.key, 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    BuiltInCatalogs, Localisation,
    ::testing::Values(LocalizeCase{"sxplugins/harborstartup:harborAppStrings",
                                   "MoveExtentionDragger", "Move Extension"},
                      LocalizeCase{"sxplugins/harborstartup:harborAppStrings", "MoveJogDragger",
                                   "Move Jog"},
                      LocalizeCase{"sxplugins/harborstartup:harborAppStrings",
                                   "MoveEndPointDragger", "Move End Point"},
                      LocalizeCase{"sxbase:sxmodulesStrings", "97", "Move Markups"},
                      LocalizeCase{"sxbase:sxmodulesStrings", "99", "Move Callout"},
                      LocalizeCase{"sxbase:sxmodulesStrings", "98", "98"},
                      LocalizeCase{"sxbase:sxmodulesStrings", "MoveJogDragger", "MoveJogDragger"},
                      LocalizeCase{"no/such:catalog", "97", "97"}));

TEST(Localisation, RegisteredCatalogReplacesTexts) {
    du::Localizer::RegisterCatalog("tests:probeStrings", {{"1", "One"}});
    EXPECT_EQ(du::Localizer("tests:probeStrings").LocalizeMessage("1", 0), "One");
    du::Localizer::RegisterCatalog("tests:probeStrings", {{"2", "Two"}});
    EXPECT_EQ(du::Localizer("tests:probeStrings").LocalizeMessage("1", 0), "1");
    EXPECT_EQ(du::Localizer("tests:probeStrings").LocalizeMessage("2", 0), "Two");
}

}  // namespace
