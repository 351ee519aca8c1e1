#include <velmora/sceneutils/ShaderGenerator.h>
#include <velmora/sceneutils/SimpleGeometryGenerator.h>

#include <osg/Geode>
#include <osg/LineWidth>
#include <QtTest>

using velmora::sceneutils::ShaderGenerator;
using velmora::sceneutils::SimpleGeometryGenerator;

namespace {

const osg::Geometry* geometryWith(const SimpleGeometryGenerator& node, GLenum mode)
{
    const osg::Geode* geode = node.getChild(0)->asGeode();
    for (unsigned i = 0; i < geode->getNumDrawables(); ++i) {
        const osg::Geometry* geometry = geode->getDrawable(i)->asGeometry();
        if (geometry->getPrimitiveSet(0)->getMode() == mode)
            return geometry;
    }
    return nullptr;
}

} // namespace

class TestSimpleGeometryGenerator : public QObject
{
    Q_OBJECT

private slots:
    void primitivesKeepTheirColours();
    void lineWidthAppliesToLines();
    void shaderGeneratorLeavesTheGraphAlone();
};

void TestSimpleGeometryGenerator::primitivesKeepTheirColours()
{
    osg::ref_ptr<SimpleGeometryGenerator> node = new SimpleGeometryGenerator;
    node->addTriangle({0, 0, 0}, {0, 1, 0}, {-1, -1, 0}, {1, 0, 0, 1});
    node->addTriangle({0, 0, 0}, {1, -1, 0}, {0, 1, 0}, {0.8f, 0, 0, 1});
    node->addLine({0, 0, -0.2f}, {1, 0, -0.2f}, {0.8f, 0.8f, 0.8f, 0.4f});

    const osg::Geometry* triangles = geometryWith(*node, GL_TRIANGLES);
    const osg::Geometry* lines = geometryWith(*node, GL_LINES);
    QVERIFY(triangles && lines);
    QCOMPARE(static_cast<const osg::DrawArrays*>(triangles->getPrimitiveSet(0))->getCount(), 6);
    QCOMPARE(static_cast<const osg::DrawArrays*>(lines->getPrimitiveSet(0))->getCount(), 2);

    const auto* colours = static_cast<const osg::Vec4Array*>(triangles->getColorArray());
    QCOMPARE((*colours)[3], osg::Vec4f(0.8f, 0, 0, 1));
    const auto* lineColours = static_cast<const osg::Vec4Array*>(lines->getColorArray());
    QCOMPARE((*lineColours)[1].a(), 0.4f);

    // The colours are meant as given: no lighting may shade them.
    QCOMPARE(node->getStateSet()->getMode(GL_LIGHTING) & osg::StateAttribute::ON, 0u);
}

void TestSimpleGeometryGenerator::lineWidthAppliesToLines()
{
    osg::ref_ptr<SimpleGeometryGenerator> node = new SimpleGeometryGenerator;
    node->addLine({0, 0, 0}, {1, 0, 0}, {1, 1, 1, 1});
    node->setLineThinkness(2.0f);
    const osg::StateSet* state = geometryWith(*node, GL_LINES)->getStateSet();
    QVERIFY(state);
    const auto* width = dynamic_cast<const osg::LineWidth*>(state->getAttribute(osg::StateAttribute::LINEWIDTH));
    QVERIFY(width);
    QCOMPARE(width->getWidth(), 2.0f);
}

void TestSimpleGeometryGenerator::shaderGeneratorLeavesTheGraphAlone()
{
    osg::ref_ptr<osg::Group> group = new osg::Group;
    const int before = ShaderGenerator::instance()->processedCount();
    ShaderGenerator::instance()->process(group.get(), false, false, false, false);
    ShaderGenerator::instance()->process(nullptr, true, true, true, true);
    QCOMPARE(ShaderGenerator::instance()->processedCount(), before + 2);
    QCOMPARE(group->getStateSet(), nullptr);
}

QTEST_GUILESS_MAIN(TestSimpleGeometryGenerator)
#include "tst_simplegeometrygenerator.moc"
