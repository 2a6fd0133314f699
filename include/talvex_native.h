/*
 * talvex_native.h - what a Linux host can take from a chart control beyond
 * the 33 functions of talvex.h: data (grids, surfaces, curves, points) in
 * place of a script, the geometry each slot's last calculation made, the
 * chart's picture in memory, the view's angles and handedness as
 * values, the sentence of every code, the library's version, and the number
 * of threads pictures are drawn with. libtalvex.so exports these functions; talvex.dll does not have
 * them.
 *
 * The conventions of talvex.h hold: results are signed 32-bit codes, 0 for
 * success; nothing is thrown across this interface; and its thread contract:
 * a control is used by one thread at a time.
 */
#ifndef TALVEX_NATIVE_H
#define TALVEX_NATIVE_H

#include <stdint.h>

#define TALVEX_NATIVE_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* What a slot's last successful calculation made of its script, or of the
 * data a host gave it (a cloud is data's only: points drawn each as a point
 * slot's is, one index per point drawn). */
#define TALVEX_GRAPH_NONE 0
#define TALVEX_GRAPH_POINT 1
#define TALVEX_GRAPH_CURVE 2
#define TALVEX_GRAPH_SURFACE 3
#define TALVEX_GRAPH_CLOUD 4

/* One computed vertex: position in box coordinates (-100 .. 100 on each axis
 * of the chart's box), normal, texture coordinates. 32 bytes. */
typedef struct TalvexVertex {
    float x, y, z, nx, ny, nz, tu, tv;
} TalvexVertex;

typedef struct TalvexSlotGeometry {
    int32_t kind;                 /* TALVEX_GRAPH_* */
    int32_t samplesU, samplesV;   /* samples along the first and second parameter */
    int32_t vertexCount;
    const TalvexVertex *vertices; /* vertexCount records; rows along the second parameter for a surface */
    int32_t indexCount;
    const uint16_t *indices;      /* three per triangle (surface), two per segment (curve), one per point
                                     (cloud), none for a point; null when vertexCount is above 65536
                                     (a host's data): talvex_get_slot_indices has them as 32-bit numbers */
} TalvexSlotGeometry;

/* What the last TALVEX_ControlCalculate made of slot 0..2's script: its code
 * into *code (0 when the slot was computed or holds no script; a calculation
 * code, talvex_codes.h; E_FAIL when the device's buffers could not take the
 * geometry) and, when text is not null, a sentence that names the cause into
 * text, at most size bytes with the closing 0 (cut to fit): "" for 0,
 * otherwise "script N: ..." with N counted from 1 as in the compile reports,
 * e.g. "script 2: 'k' is used but never defined". SetScript and DelScript of
 * the slot clear it. Each slot keeps its own, so a Calculate that returned 0
 * because another slot was computed still tells what failed here.
 * Returns 0; E_FAIL for an invalid handle; 21 for a slot outside 0..2;
 * E_POINTER for a null code; E_INVALIDARG for a text with a size below 1. */
TALVEX_NATIVE_API int32_t talvex_get_slot_error(int32_t handle, int32_t slot, int32_t *code, char *text, int32_t size);

/* Data in place of a script: slot 0..2 takes it whole and drops its script
 * (as SetScript and DelScript of the slot drop its data); its geometry is
 * made at once and drawn from the next frame on, without a Calculate (a
 * Calculate makes it again, for the chart's handedness). The arrays are
 * double precision, read during the call only: the slot keeps its own copy.
 *   talvex_set_grid: heights z over a grid of columns x rows, row by row
 *     with x varying fastest (z[row * columns + column]); x[columns] and
 *     y[rows] the coordinates of the columns and rows, or null for 0, 1, 2...
 *   talvex_set_surface: any surface as three arrays of columns x rows values
 *     each, laid out as z above (a sphere, a torus...).
 *   talvex_set_curve: count points joined in order.
 *   talvex_set_points: count points, each drawn as a point slot's point.
 * A value that is not a finite number makes a hole: a cell with such a corner
 * is not drawn (its neighbours are), nor a segment with such an end, nor
 * such a point. The box fits the data: each axis is centred on its finite
 * range, which fills the box (talvex_set_axis_range and talvex_set_shared_box
 * change that; talvex_get_slot_axis_mapping tells the mapping; the chart
 * look's axes show the data's own values). A grid's first parameter (for talvex_get_slot_mapping's winding)
 * is the column and its second the row. A slot takes at most 16777216 values
 * (a 4096 x 4096 grid), every one drawn: data larger than a script's
 * geometry (10201 vertices, 60000 indices) is drawn from device buffers made
 * to its size with 32-bit indices. Memory: about 260 bytes a value between
 * the slot's copy, its geometry, the device's buffers and what drawing them
 * in the chart look on the software device takes.
 * Returns 0; E_FAIL for an invalid handle; 21 for a slot outside 0..2;
 * E_POINTER for a null z (and, but for a grid's x and y, a null x or y);
 * E_INVALIDARG, changing nothing, for a why whose whySize is below 1 and for
 * data that cannot be drawn, saying why into why (when not null, at most
 * whySize bytes with the closing 0): sizes below 1, more values than a slot
 * takes, or no point whose x, y and z are all finite ("a grid without one
 * point whose x, y and z are all finite numbers has nothing to draw"). The
 * checks are made in this order. */
TALVEX_NATIVE_API int32_t talvex_set_grid(int32_t handle, int32_t slot, int32_t columns, int32_t rows,
                                          const double *z, const double *x, const double *y, char *why,
                                          int32_t whySize);
TALVEX_NATIVE_API int32_t talvex_set_surface(int32_t handle, int32_t slot, int32_t columns, int32_t rows,
                                             const double *x, const double *y, const double *z, char *why,
                                             int32_t whySize);
TALVEX_NATIVE_API int32_t talvex_set_curve(int32_t handle, int32_t slot, int32_t count, const double *x,
                                           const double *y, const double *z, char *why, int32_t whySize);
TALVEX_NATIVE_API int32_t talvex_set_points(int32_t handle, int32_t slot, int32_t count, const double *x,
                                            const double *y, const double *z, char *why, int32_t whySize);

/* What slot 0..2's last calculation drew otherwise than its script asked,
 * as a sentence into text (at most size bytes with the closing 0, cut to
 * fit), "" when nothing: a grid coarser than the script's, as a slot holds
 * at most 10000 cells of a surface or steps of a curve ("its grid of
 * 1000 x 1000 cells was reduced to 71 x 140 (a slot holds at most 10000
 * cells)"). Returns 0; E_FAIL for an invalid handle; 21 for a slot outside
 * 0..2; E_POINTER for a null text; E_INVALIDARG for a size below 1. */
TALVEX_NATIVE_API int32_t talvex_get_slot_note(int32_t handle, int32_t slot, char *text, int32_t size);

/* The data slot 0..2 holds, as the host gave it (double precision), for a
 * host that wants the numbers themselves back, as a mesh export does:
 * shape TALVEX_DATA_NONE (the slot holds a script or nothing; every other
 * field 0 or null), TALVEX_DATA_GRID (z[columns x rows]; x[columns] and
 * y[rows], each null when it was not given: 0, 1, 2 ...), TALVEX_DATA_SURFACE
 * (x, y, z of columns x rows each), TALVEX_DATA_CURVE or TALVEX_DATA_POINTS
 * (columns points, rows 1). The pointers stay valid until the slot's next
 * SetScript, DelScript or data, or the control's Destroy.
 * Returns as talvex_get_slot_geometry. */
#define TALVEX_DATA_NONE 0
#define TALVEX_DATA_GRID 1
#define TALVEX_DATA_SURFACE 2
#define TALVEX_DATA_CURVE 3
#define TALVEX_DATA_POINTS 4
typedef struct TalvexSlotData {
    int32_t shape;
    int32_t columns, rows;
    const double *x, *y, *z;
} TalvexSlotData;
TALVEX_NATIVE_API int32_t talvex_get_slot_data(int32_t handle, int32_t slot, TalvexSlotData *out);

/* How a slot's last successful calculation mapped the script's coordinates
 * into the box of talvex_get_slot_geometry's vertices, on each axis:
 *     box = (value - centre) * 100 / scale
 * with z negated when zNegated (a right-handed chart, where z grows toward
 * the viewer), after values beyond centre +- scale were clamped to it. So
 * value = box * scale / 100 + centre (z: -box * scale / 100 + centre).
 * trianglesReversed: a surface's index triples wind clockwise about the
 * cross product of its parameters' derivatives (d/du x d/dv) in the script's
 * coordinates; otherwise counter-clockwise. A script has one scale on all
 * three axes; data has one per axis (talvex_get_slot_axis_mapping), and
 * TalvexBoxMapping's scale is then not a number unless they are equal. */
typedef struct TalvexBoxMapping {
    double scale;
    double centre[3];
    int32_t zNegated;
    int32_t trianglesReversed;
} TalvexBoxMapping;

/* The mapping of slot 0..2's kept geometry (scale 100, centres 0, nothing
 * negated or reversed when it has none). Returns as talvex_get_slot_geometry. */
TALVEX_NATIVE_API int32_t talvex_get_slot_mapping(int32_t handle, int32_t slot, TalvexBoxMapping *out);

/* The same with a scale on each axis: box = (value - centre[a]) * 100 /
 * scale[a]. Returns as talvex_get_slot_geometry. */
typedef struct TalvexAxisMapping {
    double scale[3];
    double centre[3];
    int32_t zNegated;
    int32_t trianglesReversed;
} TalvexAxisMapping;
TALVEX_NATIVE_API int32_t talvex_get_slot_axis_mapping(int32_t handle, int32_t slot, TalvexAxisMapping *out);

/* How data fills the box. By default each axis of a data slot maps its own
 * finite range onto the box (heights of 10^6 over x in 0 .. 1 fill it as
 * well as x does); the style's equalAspect gives one scale, the widest
 * range's, to all three; both looks draw so.
 *   talvex_set_axis_range: the host's range on axis 0 (x), 1 (y) or 2 (z)
 *     in place of the data's: values beyond it are held at the box's faces,
 *     as a script's are. low below high, both finite; both not a number
 *     (NAN) gives the axis back to the data. The chart look's box spans it
 *     on that axis (every graph held within). Returns 0; E_FAIL for an
 *     invalid handle; E_INVALIDARG, changing nothing, for a why whose whySize
 *     is below 1, an axis outside 0..2 or such a range, saying why into why
 *     (when not null, at most whySize bytes with the closing 0).
 *   talvex_get_axis_range: the range set, NAN NAN when none. Returns 0;
 *     E_FAIL; E_INVALIDARG for an axis outside 0..2; E_POINTER for a null
 *     low or high.
 *   talvex_set_shared_box: nonzero puts every data slot in one box, the
 *     union of their ranges, so that data sets are comparable (the chart
 *     look always draws one box). Returns 0; E_FAIL for an invalid handle.
 *   talvex_get_shared_box: 1 or 0 into *shared. Returns 0; E_FAIL; E_POINTER.
 * Each remakes the data slots' geometry at once. */
TALVEX_NATIVE_API int32_t talvex_set_axis_range(int32_t handle, int32_t axis, double low, double high, char *why,
                                                int32_t whySize);
TALVEX_NATIVE_API int32_t talvex_get_axis_range(int32_t handle, int32_t axis, double *low, double *high);
TALVEX_NATIVE_API int32_t talvex_set_shared_box(int32_t handle, int32_t shared);
TALVEX_NATIVE_API int32_t talvex_get_shared_box(int32_t handle, int32_t *shared);

/* The geometry slot 0..2 of the control keeps from its last successful
 * calculation (kind TALVEX_GRAPH_NONE, zero counts and null pointers when it
 * has none). Every sample is there, also those whose cells or segments drop
 * out of the picture; the indices name the triangles and segments that are
 * drawn. The pointers stay valid until the next Calculate, data, SetScript,
 * DelScript, Size or Destroy of that control.
 * Returns 0; E_FAIL (0x80004005) for an invalid handle; 21 for a slot outside
 * 0..2; E_POINTER (0x80004003) for a null out. The checks are made in this
 * order; out is written only on success. */
TALVEX_NATIVE_API int32_t talvex_get_slot_geometry(int32_t handle, int32_t slot, TalvexSlotGeometry *out);

/* The same indices as talvex_get_slot_geometry's, as 32-bit numbers, for
 * geometry of any size: *indices (null when there are none) and *count. Valid
 * as long as talvex_get_slot_geometry's pointers.
 * Returns 0; E_FAIL for an invalid handle; 21 for a slot outside 0..2;
 * E_POINTER when indices or count is null. */
TALVEX_NATIVE_API int32_t talvex_get_slot_indices(int32_t handle, int32_t slot, const uint32_t **indices,
                                                  int32_t *count);

/* Draws the current view of the control (its size, view, colours, exactly as
 * a paint or TALVEX_SaveBMP draws it) into pixels: width * height values
 * 0x00RRGGBB, top row first. width and height must equal the control's
 * TALVEX_ControlGetWidth / TALVEX_ControlGetHeight. The frame is presented to
 * the chart's window afterwards, as a paint presents it. No file is written.
 * Returns 0; E_FAIL for an invalid handle or a control without a device
 * (before TALVEX_ControlInit); E_POINTER for null pixels; E_INVALIDARG
 * (0x80070057) when the size differs or a side is not positive; a device code
 * when the frame could not be drawn (D3DERR_DEVICELOST 0x88760868 while the
 * device is lost, D3DERR_INVALIDCALL 0x8876086C when the device's picture is
 * not of the control's size, as after a Size that met a lost device). The
 * checks are made in this order; pixels is written only on success. */
TALVEX_NATIVE_API int32_t talvex_render_picture(int32_t handle, uint32_t *pixels, int32_t width, int32_t height);

/* The number of threads the software device draws every picture with, in
 * every control of the process from the next frame on: 0 (the default) lets
 * it choose (one thread for small pictures, otherwise one per core, at most
 * 8), 1 .. 64 fixes the number. The pictures are the same whatever the
 * number. The threads belong to the library and end with it.
 * Returns 0; E_INVALIDARG (0x80070057) for a count outside 0 .. 64, which
 * changes nothing. */
TALVEX_NATIVE_API int32_t talvex_set_render_threads(int32_t count);

/* The view's turn angles in degrees. In the classic look: about x (a
 * left-button drag down turns it), about y (a drag to the right) and about z
 * (what a right-button drag rolls and the presets reset; kept, not drawn);
 * the view turns about x first, then about y. In the chart look: the
 * elevation of the eye above the x-y plane (a drag down raises it; held
 * within -90 .. 90, a larger value set is held at the limit), the azimuth of
 * the eye about z measured from x toward y (a drag to the right lowers it;
 * -60 and 30 at first and after the presets, as matplotlib), and the same
 * kept roll. Each look keeps its own angles. Each angle is kept as single-precision radians, so an angle
 * set reads back to about 7 digits; the isometric preset reads 20, -30, 0.
 * get: 0; E_FAIL for an invalid handle; E_POINTER when any out is null
 * (nothing written then).
 * set: 0; E_FAIL for an invalid handle; E_INVALIDARG (nothing changed) when
 * an angle is not finite or too large for single precision.
 * turn: what a left-button drag of right, down pixels does, to the bit: half
 * a degree (of a half turn taken as 3.14) per pixel in the classic look, half
 * a degree per pixel in the chart look. Returns 0 or E_FAIL.
 * None of them repaints; the next paint or picture shows the new view. */
TALVEX_NATIVE_API int32_t talvex_get_view_angles(int32_t handle, double *aboutX, double *aboutY, double *aboutZ);
TALVEX_NATIVE_API int32_t talvex_set_view_angles(int32_t handle, double aboutX, double aboutY, double aboutZ);
TALVEX_NATIVE_API int32_t talvex_turn_view(int32_t handle, int32_t right, int32_t down);

/* Whether the control's axes are left-handed (z grows away from the viewer;
 * TALVEX_ControlSetLeftHand) into *leftHanded: 1 or 0.
 * Returns 0; E_FAIL for an invalid handle; E_POINTER for a null out. */
TALVEX_NATIVE_API int32_t talvex_get_left_handed(int32_t handle, int32_t *leftHanded);

/* The look of a control and what the chart look shows.
 *
 * TALVEX_LOOK_CLASSIC is the picture of the 33 functions: a chessboard, a
 * point grid, arrows, the view turned about x and y. Every control starts in
 * it. TALVEX_LOOK_CHART draws a chart a person reads: z points up, the view
 * is an azimuth about z and an elevation, each axis of the box spans the
 * finite range of what the slots computed (in the scripts' own coordinates),
 * surfaces are coloured by the value of one coordinate through a colour map
 * and lit by a light from the viewer's upper left (both sides), curves are
 * 2 pixels wide, points are discs, and the three faces of the box behind the
 * graph are shaded with grid lines at nice values. The chart look is always
 * right-handed; the handedness setting applies to the classic look.
 *
 * The strings are fixed-size arrays of UTF-8 text closed by a 0 byte, so the
 * record owns everything it says: the library copies it on set and fills the
 * host's record on get, and keeps no pointer to it.
 *
 * size: sizeof(TalvexStyle) as the host was compiled, TALVEX_STYLE_SIZE. A
 * later version only adds fields at the end and gives them their own size;
 * this library takes the sizes it knows and refuses others, so a host never
 * has a field it set silently ignored. */
#define TALVEX_LOOK_CLASSIC 0
#define TALVEX_LOOK_CHART 1

typedef struct TalvexStyle {
    uint32_t size;
    int32_t look;          /* TALVEX_LOOK_* (classic by default) */
    char colorMap[16];     /* "viridis" (default), "magma", "cividis", "grey" (or "gray"), or "slot": each slot
                              in its own primary colour (TALVEX_ControlSetPrimaryColor) */
    int32_t colorBy;       /* the coordinate whose value colours: 0 x, 1 y, 2 z (default) */
    int32_t lighting;      /* 1 (default) lit, 0 the colour map's colours as they are */
    int32_t samples;       /* samples per pixel: 1 (default), or 4 for smooth edges (each pixel the mean of
                              2 x 2 samples; the device is reset for the new back buffer) */
    int32_t axes;          /* 1 (default): the panes behind the graph with their grid lines */
    int32_t colorBar;      /* 1 (default): a colour bar when a colour map colours */
    int32_t equalAspect;   /* 1: one scale on all three axes; 0 (default): each axis fills the box */
    double textSize;       /* height of the text in pixels, 6 .. 96 (15 by default); drawn at the nearest
                              size the built-in font has (12, 15 or 20 pixels; a title a size larger) */
    char title[256];       /* "" by default */
    char axisNames[3][64]; /* "x", "y", "z" by default */
} TalvexStyle;

#define TALVEX_STYLE_SIZE ((uint32_t)sizeof(TalvexStyle))

/* talvex_get_style: the control's style into *out, whose size field the host
 * sets first. Returns 0; E_FAIL for an invalid handle; E_POINTER for a null
 * out; E_INVALIDARG for a size this library does not know (nothing written).
 *
 * talvex_set_style: the control takes the style whole, or nothing of it. The
 * next paint or picture draws it; a change of look keeps the scripts, their
 * geometry and the zoom. Returns 0; E_FAIL for an invalid handle; E_POINTER
 * for a null style; E_INVALIDARG when it is refused, and then, when why is
 * not null, a sentence that says why into why (at most whySize bytes with the
 * closing 0, cut to fit; "" on success): a size this library does not know,
 * a look other than 0 or 1, an unknown colour map, a coordinate other than
 * 0 .. 2, samples other than 1 or 4, a text size outside 6 .. 96, a string with no
 * closing 0 in its array or that is not UTF-8. E_INVALIDARG also for a why
 * with a whySize below 1 (nothing changed). A device that cannot be reset to
 * another number of samples keeps the old style: its code is returned (E_FAIL
 * when it gave none) with the reason in why.
 *
 * talvex_default_style: the style a control starts with (classic) into *out,
 * size TALVEX_STYLE_SIZE; for a host that changes a few fields. */
TALVEX_NATIVE_API int32_t talvex_get_style(int32_t handle, TalvexStyle *out);
TALVEX_NATIVE_API int32_t talvex_set_style(int32_t handle, const TalvexStyle *style, char *why, int32_t whySize);
TALVEX_NATIVE_API void talvex_default_style(TalvexStyle *out);

/* The sentence of a code any function returns (talvex_codes.h lists them
 * all), in static storage; code 2 is a compile code and a calculation code,
 * and its sentence gives both meanings. NULL for a number that is no code of
 * the library. Never fails and needs no control. */
TALVEX_NATIVE_API const char *talvex_error_text(int32_t code);

/* The library's version as "major.minor.patch", the TALVEX_VERSION the
 * library was built with (a host compiled against another talvex.h can
 * compare); static storage. */
TALVEX_NATIVE_API const char *talvex_version(void);

#ifdef __cplusplus
}
#endif

#endif /* TALVEX_NATIVE_H */
