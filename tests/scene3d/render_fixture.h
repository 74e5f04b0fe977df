// Scenes for the renderer tests, read-back of the frame buffers, and the independent projection
// reference (tests/scene3d/projection_reference.py).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scene3d/synthetic_scenes.h"

// The headless viewer with a canvas of w x h, the renderer at its start rotation (90, 0, 0) and
// bands as the steps choose them.
void renderer_at(int w, int h);

// n balls of the given radius at pseudo-random places within +-spread (elements cycle through
// a few, every seventh flagged).
std::vector<scene3d::Ball> ball_cloud(int n, unsigned seed, double spread, double radius);
// A regular tetrahedron of edge `size` around the origin, with outward facet normals.
std::vector<scene3d::tri> tetrahedron(double size);
// Heights of an n x n cone of the given height over a base of radius n/2 nodes.
std::vector<float> cone(int n, double height);

// Everything a frame leaves: ids, depths, the lit rows and the picture.
struct Frame {
  std::vector<int> ids;
  std::vector<float> depths;
  std::vector<uint16_t> lit;
  std::vector<float> picture;
};
Frame grab_frame();

// 1 where the frame's cell shows an object.
std::vector<uint8_t> object_mask();

// The reference's silhouettes of balls and polygons under the current camera, as a mask of the
// frame's cells; empty when the script could not run (then *error says why).
struct Polygon {
  std::vector<double> xyz;  // x, y, z of each corner
};
std::vector<uint8_t> reference_mask(const std::vector<scene3d::Ball>& balls,
                                    const std::vector<Polygon>& polygons, std::string* error);
// The polygons of a mesh and of a grid (x fastest, the layout of show_grid).
std::vector<Polygon> mesh_polygons(const std::vector<scene3d::tri>& triangles);
std::vector<Polygon> grid_polygons(int nx, int ny, double dx, double dy,
                                   const std::vector<float>& z);

// Intersection over union of two masks of the same size.
double iou(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
