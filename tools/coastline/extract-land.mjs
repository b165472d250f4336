#!/usr/bin/env node
// Turns the Natural Earth 1:50m land polygons of the npm package world-atlas (land-50m.json, TopoJSON in
// degrees) into the plain text ring list data/natural-earth-land-50m.txt that MakeMapArtwork draws from.
//
//   mkdir -p /tmp/atlas && (cd /tmp/atlas && npm install world-atlas@2.0.2)
//   node tools/coastline/extract-land.mjs /tmp/atlas/node_modules/world-atlas/land-50m.json \
//        > data/natural-earth-land-50m.txt
//
// The package stores polygons on the sphere: rings may cross the 180° meridian and Antarctica's coast
// runs once around the south pole. A flat map needs rings that stay within −180…180°, so each ring is
// unrolled into continuous longitudes, closed over the pole when it goes round it, thinned, and cut at
// ±180° into the pieces that fall on the map. The cut edges lie exactly on ±180° and the pole closure
// on −90°, which lets the drawing tell them from real coastline.

import { readFileSync } from 'node:fs';

const kTolerance = 0.02; // degrees: well under a pixel of the 1600-wide map
const kDecimals = 2;

const file = process.argv[2];
if (!file) {
  console.error('usage: extract-land.mjs path/to/land-50m.json > natural-earth-land-50m.txt');
  process.exit(2);
}
const topology = JSON.parse(readFileSync(file, 'utf8'));
const [scaleX, scaleY] = topology.transform.scale;
const [shiftX, shiftY] = topology.transform.translate;

// Arcs are delta-encoded integer positions.
const arcs = topology.arcs.map((arc) => {
  let x = 0;
  let y = 0;
  return arc.map(([dx, dy]) => {
    x += dx;
    y += dy;
    return [x * scaleX + shiftX, y * scaleY + shiftY];
  });
});

function ringPoints(arcIndices) {
  const points = [];
  for (const index of arcIndices) {
    const arc = index >= 0 ? arcs[index] : arcs[~index].slice().reverse();
    points.push(...(points.length ? arc.slice(1) : arc));
  }
  return points;
}

/// Continuous longitudes: each step takes the short way round.
function unroll(points) {
  const out = [[points[0][0], points[0][1]]];
  for (let i = 1; i < points.length; ++i) {
    let step = points[i][0] - points[i - 1][0];
    if (step > 180) step -= 360;
    else if (step < -180) step += 360;
    out.push([out[i - 1][0] + step, points[i][1]]);
  }
  return out;
}

function distanceToSegment(p, a, b) {
  const dx = b[0] - a[0];
  const dy = b[1] - a[1];
  const length2 = dx * dx + dy * dy;
  let t = length2 > 0 ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2 : 0;
  t = Math.max(0, Math.min(1, t));
  return Math.hypot(p[0] - (a[0] + t * dx), p[1] - (a[1] + t * dy));
}

/// Douglas–Peucker on an open polyline; both ends are kept.
function simplify(points) {
  const keep = new Uint8Array(points.length);
  keep[0] = keep[points.length - 1] = 1;
  const stack = [[0, points.length - 1]];
  while (stack.length) {
    const [first, last] = stack.pop();
    let worst = -1;
    let worstDistance = 0;
    for (let i = first + 1; i < last; ++i) {
      const d = distanceToSegment(points[i], points[first], points[last]);
      if (d > worstDistance) {
        worstDistance = d;
        worst = i;
      }
    }
    if (worst >= 0 && worstDistance > kTolerance) {
      keep[worst] = 1;
      stack.push([first, worst], [worst, last]);
    }
  }
  return points.filter((_, i) => keep[i]);
}

/// Sutherland–Hodgman against one vertical line; `inside` tells which side is kept.
function clip(ring, limit, inside) {
  const out = [];
  for (let i = 0; i < ring.length; ++i) {
    const a = ring[i];
    const b = ring[(i + 1) % ring.length];
    const aIn = inside(a[0]);
    const bIn = inside(b[0]);
    if (aIn) out.push(a);
    if (aIn !== bIn) {
      const t = (limit - a[0]) / (b[0] - a[0]);
      out.push([limit, a[1] + t * (b[1] - a[1])]);
    }
  }
  return out;
}

function area(ring) {
  let sum = 0;
  for (let i = 0; i < ring.length; ++i) {
    const a = ring[i];
    const b = ring[(i + 1) % ring.length];
    sum += a[0] * b[1] - b[0] * a[1];
  }
  return sum / 2;
}

const factor = 10 ** kDecimals;
const round = (v) => Math.round(v * factor) / factor;

function rounded(ring) {
  const out = [];
  for (const [lon, lat] of ring) {
    const p = [round(lon), round(lat)];
    const prev = out[out.length - 1];
    if (!prev || prev[0] !== p[0] || prev[1] !== p[1]) out.push(p);
  }
  while (out.length > 1 && out[0][0] === out[out.length - 1][0] && out[0][1] === out[out.length - 1][1]) out.pop();
  return out;
}

const rings = [];
for (const geometry of topology.objects.land.geometries) {
  const polygons = geometry.type === 'Polygon' ? [geometry.arcs] : geometry.arcs;
  for (const polygon of polygons) {
    for (const arcIndices of polygon) {
      let ring = unroll(ringPoints(arcIndices));
      const turn = ring[ring.length - 1][0] - ring[0][0];
      if (Math.abs(turn) > 180) {
        // Goes once round a pole: close it along that pole.
        const meanLatitude = ring.reduce((sum, p) => sum + p[1], 0) / ring.length;
        const pole = meanLatitude < 0 ? -90 : 90;
        ring.push([ring[ring.length - 1][0], pole], [ring[0][0], pole]);
      }
      ring = simplify(ring);
      const lons = ring.map((p) => p[0]);
      const west = Math.min(...lons);
      const east = Math.max(...lons);
      for (const shift of [-360, 0, 360]) {
        if (east + shift <= -180 || west + shift >= 180) continue;
        let piece = ring.map(([lon, lat]) => [lon + shift, lat]);
        piece = clip(piece, -180, (lon) => lon >= -180);
        piece = clip(piece, 180, (lon) => lon <= 180);
        piece = rounded(piece);
        if (piece.length >= 3 && Math.abs(area(piece)) > 1e-4) rings.push(piece);
      }
    }
  }
}

const out = [];
out.push('# Land of the world as polygon rings in degrees (longitude east positive, latitude north positive).');
out.push('# Derived from Natural Earth 1:50m land (public domain, naturalearthdata.com), as packaged in the');
out.push('# npm package world-atlas 2.0.2 (land-50m.json), by tools/coastline/extract-land.mjs: rings cut at');
out.push(`# ±180°, thinned to ${kTolerance}° and rounded to ${kDecimals} decimals. Fill even-odd. Edges that run along`);
out.push('# ±180° or −90° are cuts, not coastline.');
out.push('# Each ring: a line "R <count>", then <count> lines "<longitude> <latitude>"; the ring closes itself.');
for (const ring of rings) {
  out.push(`R ${ring.length}`);
  for (const [lon, lat] of ring) out.push(`${lon} ${lat}`);
}
process.stdout.write(out.join('\n') + '\n');
console.error(`${rings.length} rings, ${rings.reduce((n, r) => n + r.length, 0)} points`);
