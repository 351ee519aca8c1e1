#pragma once

#include <osg/Matrixd>
#include <osg/MatrixTransform>
#include <osg/Projection>
#include <osg/ref_ptr>

namespace velmora::plugin::compass_widget {

// The rose's ring radius in model units, which is also its distance from the
// window's left and bottom edges: the ring touches both.
inline constexpr double hudBaseSize = 2.2;
// Window pixels per model unit until the user picks another size.
inline constexpr int hudStartSize = 15;

// The nodes of the heads-up compass rose that change after it is built. The
// scene graph holds them too; the rose lives as long as either holds it.
struct HudCompassNodes
{
    // "HUD Projection", node mask 0x1: the root to hang under the scene
    // root. Its matrix is for the caller to set to the window's projection.
    osg::ref_ptr<osg::Projection> projection;
    // "Compass Position": scales and places the rose (see hudPlacement); its
    // node mask shows (all ones) or hides (0) the rose.
    osg::ref_ptr<osg::MatrixTransform> position;
    // Turns the rose about its centre by the heading; carries the render
    // state that draws the rose on top of the scene.
    osg::ref_ptr<osg::MatrixTransform> rotation;
};

// Builds the rose: a red and black arrow pointing north (+y), a grey ring of
// radius hudBaseSize and the letters N, E, S, W in Liberation Sans, in model
// units with x east, y north and z towards the viewer. Below the projection
// a "HUD Model View Matrix" transform in the absolute reference frame keeps
// the camera's view away, so one unit under it is one window pixel with the
// origin at the lower left, once the projection is a 2D orthographic one of
// the window. The rose is drawn after the scene (render bin 11) without a
// depth test, so it is never hidden, and it is never culled, so it shows
// wherever the camera looks. All matrices start as the identity.
HudCompassNodes buildHudCompass();

// The matrix of "Compass Position" for size window pixels per model unit: a
// model point (x, y, z) lands at (size * (x + hudBaseSize), size * (y +
// hudBaseSize), 0), so the ring of radius size * hudBaseSize touches the
// left and bottom edges. Any size is taken as it comes.
osg::Matrixd hudPlacement(double size);

} // namespace velmora::plugin::compass_widget
