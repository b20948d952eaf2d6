#!/usr/bin/env node
// Draws a PMX model posed by a VMD motion in three.js's MMD runtime to a PNG,
// for pictures in the README. There is no WebGL under Node, so the skinned
// triangles are rasterised here: orthographic, z-buffered, Lambert-lit,
// textured from the PNG files beside the model when they are there.
//
//   node render-pose.mjs MODEL.pmx MOTION.vmd FRAME OUT.png
//        [--width 480] [--height 640] [--ik on|off] [--yaw 30]
//
// FRAME is a frame number, or `rest` for the model unposed (the motion is
// then not read and may be given as -). --yaw turns the camera about the
// vertical axis, in degrees to the model's left; 0 is straight in front.
import fs from 'node:fs';
import path from 'node:path';
import pngjs from 'pngjs';
import { Vector3 } from 'three';
import { createLoader, loadModel, loadMotion, MotionPoser } from './mmd-runtime.mjs';

const { PNG } = pngjs;

// Each pixel is the mean of SUPERSAMPLE x SUPERSAMPLE samples, for smooth edges.
const SUPERSAMPLE = 2;
const MARGIN = 0.05;
const BACKGROUND = [236, 238, 242];
const AMBIENT = 0.35;
const DIFFUSE = 0.65;
// Texels this transparent are holes (hair cards and the like), not surface.
const ALPHA_CUTOFF = 128;
// In camera space: from the upper left, behind the viewer.
const LIGHT = [-0.4, 0.6, 0.7];

class UsageError extends Error {}

function usage(message) {
  throw new UsageError(`${message}\nusage: node render-pose.mjs MODEL.pmx MOTION.vmd FRAME OUT.png [--width 480] [--height 640] [--ik on|off] [--yaw 30]`);
}

function positiveInteger(name, text) {
  const value = Number(text);
  if (!Number.isInteger(value) || value <= 0 || value > 8192) usage(`${name} must be an integer from 1 to 8192: ${text}`);
  return value;
}

function parseArguments(args) {
  const options = { width: 480, height: 640, ik: true, yaw: 30 };
  const positional = [];
  for (let i = 0; i < args.length; i += 1) {
    const arg = args[i];
    if (!arg.startsWith('--')) {
      positional.push(arg);
      continue;
    }
    const value = args[i + 1];
    if (value === undefined) usage(`${arg} needs a value`);
    i += 1;
    if (arg === '--width') options.width = positiveInteger(arg, value);
    else if (arg === '--height') options.height = positiveInteger(arg, value);
    else if (arg === '--ik') {
      if (value !== 'on' && value !== 'off') usage(`--ik must be on or off: ${value}`);
      options.ik = value === 'on';
    } else if (arg === '--yaw') {
      options.yaw = Number(value);
      if (!Number.isFinite(options.yaw)) usage(`--yaw must be a number: ${value}`);
    } else usage(`unknown option ${arg}`);
  }
  if (positional.length !== 4) usage('four arguments are needed');
  const [model, motion, frameText, out] = positional;
  let frame = null;
  if (frameText !== 'rest') {
    frame = Number(frameText);
    if (!Number.isInteger(frame) || frame < 0) usage(`FRAME must be an integer >= 0 or rest: ${frameText}`);
  }
  return { model, motion, frame, out, ...options };
}

function load(label, read) {
  try {
    return read();
  } catch (error) {
    throw new UsageError(`cannot load ${label}: ${error instanceof Error ? error.message : error}`);
  }
}

// Vertex positions after skinning, in three's axes (the model faces +z).
function skinnedPositions(mesh) {
  const source = mesh.geometry.attributes.position;
  const positions = new Float64Array(source.count * 3);
  const vertex = new Vector3();
  for (let i = 0; i < source.count; i += 1) {
    vertex.fromBufferAttribute(source, i);
    mesh.applyBoneTransform(i, vertex);
    positions.set([vertex.x, vertex.y, vertex.z], i * 3);
  }
  return positions;
}

// Smooth normals of the posed surface: the area-weighted mean of the
// normals of the triangles at each vertex.
function vertexNormals(positions, indices) {
  const normals = new Float64Array(positions.length);
  for (let t = 0; t < indices.length; t += 3) {
    const [a, b, c] = [indices[t] * 3, indices[t + 1] * 3, indices[t + 2] * 3];
    const e1 = [0, 1, 2].map((k) => positions[b + k] - positions[a + k]);
    const e2 = [0, 1, 2].map((k) => positions[c + k] - positions[a + k]);
    const n = [e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]];
    for (const v of [a, b, c]) for (let k = 0; k < 3; k += 1) normals[v + k] += n[k];
  }
  for (let v = 0; v < normals.length; v += 3) {
    const length = Math.hypot(normals[v], normals[v + 1], normals[v + 2]) || 1;
    for (let k = 0; k < 3; k += 1) normals[v + k] /= length;
  }
  return normals;
}

// The material's texture when it is a PNG beside the model, else null; the
// picture is still useful in plain colours.
function readTexture(folder, name, cache) {
  if (cache.has(name)) return cache.get(name);
  let texture = null;
  const file = path.join(folder, name.replaceAll('\\', '/'));
  if (name.toLowerCase().endsWith('.png') && fs.existsSync(file)) {
    try {
      texture = PNG.sync.read(fs.readFileSync(file));
    } catch (error) {
      console.error(`${file}: ${error.message}; drawn without it`);
    }
  }
  cache.set(name, texture);
  return texture;
}

function materialsOf(data, folder) {
  const cache = new Map();
  return data.materials.map((material) => ({
    diffuse: material.diffuse.slice(0, 3),
    texture: material.textureIndex >= 0 ? readTexture(folder, data.textures[material.textureIndex], cache) : null,
  }));
}

// PMX texture coordinates have v downwards from the image's top row (the
// loader leaves flipY off for the same reason); outside 0..1 they repeat.
function sample(texture, u, v) {
  const wrap = (value) => value - Math.floor(value);
  const x = Math.min(texture.width - 1, Math.floor(wrap(u) * texture.width));
  const y = Math.min(texture.height - 1, Math.floor(wrap(v) * texture.height));
  const at = (y * texture.width + x) * 4;
  return texture.data.subarray(at, at + 4);
}

// Camera space: x to the right, y up, z towards the viewer; the camera
// stands in front of the model, turned by yaw about the vertical axis.
function toCamera(positions, yawDegrees) {
  const yaw = (yawDegrees * Math.PI) / 180;
  const [c, s] = [Math.cos(yaw), Math.sin(yaw)];
  const out = new Float64Array(positions.length);
  for (let i = 0; i < positions.length; i += 3) {
    const [x, y, z] = [positions[i], positions[i + 1], positions[i + 2]];
    out[i] = x * c - z * s;
    out[i + 1] = y;
    out[i + 2] = x * s + z * c;
  }
  return out;
}

function frameView(camera, width, height) {
  let [minX, minY, maxX, maxY] = [Infinity, Infinity, -Infinity, -Infinity];
  for (let i = 0; i < camera.length; i += 3) {
    minX = Math.min(minX, camera[i]);
    maxX = Math.max(maxX, camera[i]);
    minY = Math.min(minY, camera[i + 1]);
    maxY = Math.max(maxY, camera[i + 1]);
  }
  const scale = (1 - 2 * MARGIN) * Math.min(width / Math.max(maxX - minX, 1e-6), height / Math.max(maxY - minY, 1e-6));
  return {
    x: (x) => width / 2 + (x - (minX + maxX) / 2) * scale,
    y: (y) => height / 2 - (y - (minY + maxY) / 2) * scale,
  };
}

function rasterise({ camera, normals, uvs, indices, groups, materials, width, height, yaw }) {
  const view = frameView(camera, width, height);
  const depth = new Float64Array(width * height).fill(-Infinity);
  const colour = new Float64Array(width * height * 3);
  for (let p = 0; p < width * height; p += 1) colour.set(BACKGROUND, p * 3);
  const light = LIGHT;
  const lightLength = Math.hypot(...light);
  const normalsInCamera = toCamera(normals, yaw);

  for (const group of groups) {
    const material = materials[group.materialIndex];
    for (let t = group.start; t < group.start + group.count; t += 3) {
      const v = [indices[t], indices[t + 1], indices[t + 2]];
      const sx = v.map((i) => view.x(camera[i * 3]));
      const sy = v.map((i) => view.y(camera[i * 3 + 1]));
      const sz = v.map((i) => camera[i * 3 + 2]);
      const area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
      if (Math.abs(area) < 1e-12) continue;
      const x0 = Math.max(0, Math.floor(Math.min(...sx)));
      const x1 = Math.min(width - 1, Math.ceil(Math.max(...sx)));
      const y0 = Math.max(0, Math.floor(Math.min(...sy)));
      const y1 = Math.min(height - 1, Math.ceil(Math.max(...sy)));
      for (let py = y0; py <= y1; py += 1) {
        for (let px = x0; px <= x1; px += 1) {
          const [cx, cy] = [px + 0.5, py + 0.5];
          const w0 = ((sx[1] - cx) * (sy[2] - cy) - (sx[2] - cx) * (sy[1] - cy)) / area;
          const w1 = ((sx[2] - cx) * (sy[0] - cy) - (sx[0] - cx) * (sy[2] - cy)) / area;
          const w2 = 1 - w0 - w1;
          if (w0 < 0 || w1 < 0 || w2 < 0) continue;
          const z = w0 * sz[0] + w1 * sz[1] + w2 * sz[2];
          const p = py * width + px;
          if (z <= depth[p]) continue;
          let rgb = material.diffuse;
          if (material.texture !== null) {
            const u = w0 * uvs[v[0] * 2] + w1 * uvs[v[1] * 2] + w2 * uvs[v[2] * 2];
            const tv = w0 * uvs[v[0] * 2 + 1] + w1 * uvs[v[1] * 2 + 1] + w2 * uvs[v[2] * 2 + 1];
            const texel = sample(material.texture, u, tv);
            if (texel[3] < ALPHA_CUTOFF) continue;
            rgb = rgb.map((value, k) => (value * texel[k]) / 255);
          }
          const n = [0, 1, 2].map((k) => w0 * normalsInCamera[v[0] * 3 + k] + w1 * normalsInCamera[v[1] * 3 + k] + w2 * normalsInCamera[v[2] * 3 + k]);
          // Both faces lit alike: converted models are not always closed.
          const lambert = Math.abs(n[0] * light[0] + n[1] * light[1] + n[2] * light[2]) / ((Math.hypot(...n) || 1) * lightLength);
          const shade = AMBIENT + DIFFUSE * lambert;
          depth[p] = z;
          for (let k = 0; k < 3; k += 1) colour[p * 3 + k] = Math.min(255, rgb[k] * 255 * shade);
        }
      }
    }
  }
  return colour;
}

function writePng(file, colour, width, height) {
  const png = new PNG({ width, height });
  for (let y = 0; y < height; y += 1) {
    for (let x = 0; x < width; x += 1) {
      const sum = [0, 0, 0];
      for (let dy = 0; dy < SUPERSAMPLE; dy += 1) {
        for (let dx = 0; dx < SUPERSAMPLE; dx += 1) {
          const p = ((y * SUPERSAMPLE + dy) * width * SUPERSAMPLE + x * SUPERSAMPLE + dx) * 3;
          for (let k = 0; k < 3; k += 1) sum[k] += colour[p + k];
        }
      }
      const at = (y * width + x) * 4;
      for (let k = 0; k < 3; k += 1) png.data[at + k] = Math.round(sum[k] / (SUPERSAMPLE * SUPERSAMPLE));
      png.data[at + 3] = 255;
    }
  }
  fs.writeFileSync(file, PNG.sync.write(png));
}

function main(args) {
  const options = parseArguments(args);
  const loader = createLoader();
  const { mesh, data } = load(options.model, () => loadModel(loader, options.model));
  if (options.frame === null) {
    mesh.pose();
    mesh.updateMatrixWorld(true);
  } else {
    const { clip } = load(options.motion, () => loadMotion(loader, options.motion, mesh));
    new MotionPoser(mesh, clip, { ik: options.ik }).poseAt(options.frame);
  }

  const geometry = mesh.geometry;
  const positions = skinnedPositions(mesh);
  const indices = geometry.index.array;
  const width = options.width * SUPERSAMPLE;
  const height = options.height * SUPERSAMPLE;
  const colour = rasterise({
    camera: toCamera(positions, options.yaw),
    normals: vertexNormals(positions, indices),
    uvs: geometry.attributes.uv.array,
    indices,
    groups: geometry.groups.map((group) => ({ start: group.start, count: group.count, materialIndex: group.materialIndex })),
    materials: materialsOf(data, path.dirname(path.resolve(options.model))),
    width,
    height,
    yaw: options.yaw,
  });
  writePng(options.out, colour, options.width, options.height);
}

try {
  main(process.argv.slice(2));
} catch (error) {
  console.error(error instanceof UsageError ? error.message : error.stack);
  process.exitCode = 2;
}
