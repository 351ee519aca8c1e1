#pragma once

#include <osgGA/TerrainManipulator>

namespace velmora::viewer {

// OSG's terrain manipulator, with the turns a terrain user expects: a drag
// never tips the camera past looking straight down, nor lifts it below the
// ground it orbits, and the wheel zooms in when turned away from the user.
class TerrainCameraManipulator : public osgGA::TerrainManipulator
{
public:
    TerrainCameraManipulator();

protected:
    ~TerrainCameraManipulator() override = default;

    bool performMovementLeftMouseButton(double eventTimeDelta, double dx, double dy) override;

private:
    // Whether the camera is tipped past straight down or looks above its orbit point.
    bool outOfBounds() const;
};

} // namespace velmora::viewer
