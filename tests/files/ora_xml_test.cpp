// The small XML reader and writer behind stack.xml, and how a stack becomes layers.
#include "files/ora_stack.h"
#include "files/ora_xml.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(OraXml, ElementsAttributesAndReferencesAreRead)
{
    TXmlElement root;
    ASSERT_TRUE(parseXml("\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><a k=\"1\" q='x&quot;y'>"
                         "text &lt; more <b/><!-- inside --><![CDATA[<not an element>]]>"
                         "<c n=\"&#65;&#x42;&#x1F600;&amp;&apos;&gt;\" s=\"a\tb\nc\"></c></a >\n",
                         root));
    EXPECT_EQ("a", root.name);
    ASSERT_EQ(2u, root.attributes.size());
    EXPECT_EQ("1", *root.attribute("k"));
    EXPECT_EQ("x\"y", *root.attribute("q"));
    EXPECT_EQ(nullptr, root.attribute("missing"));
    ASSERT_EQ(2u, root.children.size());
    EXPECT_EQ("b", root.children[0].name);
    const TXmlElement& c = root.children[1];
    EXPECT_EQ("AB\xF0\x9F\x98\x80&'>", *c.attribute("n"));
    EXPECT_EQ("a b c", *c.attribute("s")) << "literal whitespace is normalised";
}

TEST(OraXml, MalformedDocumentsAreRefused)
{
    const char* bad[] = {
        "",
        "   ",
        "<a>",
        "<a></b>",
        "<a/><b/>",
        "<a x=1/>",
        "<a x=\"1\" x=\"2\"/>",
        "<a x=\"1\"y=\"2\"/>",
        "<a x=\"&unknown;\"/>",
        "<a x=\"&#0;\"/>",
        "<a x=\"&#xD800;\"/>",
        "<a x=\"&#1114112;\"/>",
        "<a x=\"&#;\"/>",
        "<a x=\"&amp\"/>",
        "<a x=\"<\"/>",
        "<a x=\"unterminated/>",
        "<!DOCTYPE a [<!ENTITY e \"boom\">]><a x=\"&e;\"/>",
        "<a><!-- never closed </a>",
        "<a>&bogus;</a>",
        "text<a/>",
        "<a/>trailing",
        "<1/>",
        "< a/>",
    };
    for (const char* text : bad) {
        TXmlElement root;
        root.name = "kept";
        std::string why;
        EXPECT_FALSE(parseXml(text, root, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
        EXPECT_EQ("kept", root.name) << "a refused document leaves the output alone";
    }
}

TEST(OraXml, DeepNestingIsRefusedWithoutExhaustingTheStack)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<s>";
    TXmlElement root;
    EXPECT_FALSE(parseXml(deep, root));
    std::string fine;
    for (int i = 0; i < kXmlMaxDepth; ++i)
        fine += "<s>";
    for (int i = 0; i < kXmlMaxDepth; ++i)
        fine += "</s>";
    EXPECT_TRUE(parseXml(fine, root));
}

TEST(OraXml, EscapedTextReadsBackUnchanged)
{
    const std::string text = "a&b<c>d\"e'f\tg\nh\ri ﾚｲﾔ";
    TXmlElement root;
    ASSERT_TRUE(parseXml("<a v=\"" + xmlEscape(text) + "\" w='" + xmlEscape(text) + "'/>", root));
    EXPECT_EQ(text, *root.attribute("v"));
    EXPECT_EQ(text, *root.attribute("w"));
    EXPECT_EQ("x\xEF\xBF\xBDy", xmlEscape("x\x01y")) << "not representable in XML 1.0";
}

TEST(OraStack, NestedStacksFlattenInOrderWithTheirOffsetVisibilityAndOpacity)
{
    const std::string xml =
        "<image w='10' h='8' xmlns:own='urn:quillmere:ora:1'>"
        " <stack x='1'>"
        "  <layer src='t.png' name='top' own:mode='20' composite-op='svg:multiply'/>"
        "  <stack y='2' opacity='0.5'>"
        "   <stack visibility='hidden' x='-3'>"
        "    <layer src='deep.png' opacity='0.5' x='1' own:blend-amount='7' own:protect-alpha='1'/>"
        "   </stack>"
        "   <layer src='mid.png' composite-op='svg:screen' own:mode='200'/>"
        "  </stack>"
        "  <layer src='bottom.png' visibility='visible' qm:mode='9'/>"
        " </stack>"
        " <stack><layer src='second root stack is ignored'/></stack>"
        "</image>";
    TOraStack stack;
    ASSERT_EQ(OraError::None, parseStack(xml, stack));
    EXPECT_EQ(10, stack.width);
    EXPECT_EQ(8, stack.height);
    EXPECT_EQ(72, stack.dpi);
    ASSERT_EQ(4u, stack.layers.size());
    const TOraLayer& bottom = stack.layers[0].layer;
    const TOraLayer& mid = stack.layers[1].layer;
    const TOraLayer& deep = stack.layers[2].layer;
    const TOraLayer& top = stack.layers[3].layer;
    EXPECT_EQ("bottom.png", stack.layers[0].src);
    EXPECT_EQ(3, bottom.mode) << "qm is not the prefix this file binds to our namespace";
    EXPECT_EQ("mid.png", stack.layers[1].src);
    EXPECT_EQ(4, mid.mode) << "a number naming no mode leaves the composite operation's";
    EXPECT_EQ(128, mid.opacity);
    EXPECT_EQ(1, mid.x);
    EXPECT_EQ(2, mid.y);
    EXPECT_TRUE(mid.visible);
    EXPECT_EQ("deep.png", stack.layers[2].src);
    EXPECT_FALSE(deep.visible);
    EXPECT_EQ(64, deep.opacity);
    EXPECT_EQ(-1, deep.x);
    EXPECT_EQ(2, deep.y);
    EXPECT_EQ(7, deep.blendAmount);
    EXPECT_EQ(1, deep.protectAlpha);
    EXPECT_EQ("top", top.name);
    EXPECT_EQ(20, top.mode) << "our own number wins";
    EXPECT_EQ(1, top.x);
}

TEST(OraStack, BadValuesAndTooManyLayersAreRefused)
{
    TOraStack stack;
    stack.width = 5;
    const auto parse = [&](const std::string& layerAttributes) {
        return parseStack(
            "<image w='4' h='4' xmlns:qm='urn:quillmere:ora:1'><stack><layer src='a' " +
                layerAttributes + "/></stack></image>",
            stack);
    };
    EXPECT_EQ(OraError::None, parse("x=' 12.0 ' opacity='1.7'"));
    EXPECT_EQ(255, stack.layers[0].layer.opacity) << "opacities are clamped into 0 … 1";
    EXPECT_EQ(12, stack.layers[0].layer.x);
    EXPECT_EQ(OraError::BadStack, parse("x=''"));
    EXPECT_EQ(OraError::BadStack, parse("x='1e999'"));
    EXPECT_EQ(OraError::BadStack, parse("opacity='inf'"));
    EXPECT_EQ(OraError::BadStack, parse("qm:mode='256'"));
    EXPECT_EQ(OraError::BadStack, parse("qm:blend-noise='-1'"));
    EXPECT_EQ(OraError::BadStack, parse("src='again'"));
    EXPECT_EQ(OraError::BadStack, parseStack("<picture w='4' h='4'/>", stack));
    EXPECT_EQ(OraError::BadStack, parseStack("<image h='4'/>", stack));
    EXPECT_EQ(OraError::BadSize, parseStack("<image w='-4' h='4'/>", stack));
    EXPECT_EQ(4, stack.width) << "only the successful parse changed the stack";

    std::string many = "<image w='1' h='1'><stack>";
    for (int i = 0; i <= kOraMaxLayers; ++i)
        many += "<layer src='a'/>";
    EXPECT_EQ(OraError::TooManyLayers, parseStack(many + "</stack></image>", stack));
}

TEST(OraStack, CompositeOperationsHaveTheFormatsNames)
{
    // Our modes in number order and the names the format gives them ("" for none).
    const char* names[] = {"svg:multiply",
                           "svg:plus",
                           "",
                           "svg:src-over",
                           "svg:screen",
                           "svg:overlay",
                           "svg:hard-light",
                           "svg:soft-light",
                           "svg:difference",
                           "",
                           "svg:darken",
                           "svg:lighten",
                           "svg:color-burn",
                           "svg:color-dodge",
                           "svg:hue",
                           "svg:saturation",
                           "svg:color",
                           "svg:luminosity",
                           "",
                           "",
                           "",
                           ""};
    for (uint8_t mode = 0; mode < 22; ++mode) {
        const std::string name = names[mode];
        EXPECT_EQ(name.empty() ? "svg:src-over" : name, compositeOpFromMode(mode)) << int(mode);
        if (!name.empty()) {
            EXPECT_EQ(mode, modeFromCompositeOp(name));
        }
    }
    EXPECT_EQ(9, modeFromCompositeOp("svg:exclusion"));
    EXPECT_EQ(3, modeFromCompositeOp("svg:dst-out"));
    EXPECT_EQ(3, modeFromCompositeOp("SVG:MULTIPLY")) << "names are case-sensitive";
}

} // namespace
} // namespace qm
