#!/usr/bin/env node
// Reads a written DFF file with rw-parser, a RenderWare reader we did not
// write, prints what it found and checks it against the expectations and
// against itself (every index in range, weights summing to 1, the bounding
// sphere holding every vertex).
//
//   node check-dff.mjs ped.dff expectations.json
//   node check-dff.mjs ped.dff frameCount=33 vertexCount=5 ...
//
// Expectation keys are the keys of the printed object. key=value takes
// numbers; a JSON file may give any value (lists such as frameNames or
// weights too), compared as JSON.
// Exit status: 0 when everything matches, 1 on a mismatch or when the file
// does not parse, 2 on bad usage.
//
// rw-parser 2.0.0 reads the node table's flags and key frame size when the
// frame's bone id is 0, not when the frame carries the table: a table on a
// frame of another id derails the rest of its reading. The game's peds, and
// ours, keep the table on Root, whose id is 0.
import fs from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { DffParser } = require('rw-parser');

const expectationKeys = [
  'version', 'clumpCount', 'atomicCount', 'lightCount', 'cameraCount', 'frameCount', 'frameParents', 'frameNames',
  'hanimBoneIds', 'nodeCount', 'nodes', 'geometryCount', 'vertexCount', 'triangleCount', 'triangles',
  'materialCount', 'textureNames', 'textureFilters', 'meshCount', 'meshMaterials', 'meshIndices', 'positions',
  'normals', 'uvs', 'skinBoneCount', 'usedBoneCount', 'maxWeights', 'boneIndices', 'weights', 'atomicFrame',
  'atomicFlags', 'skipped',
];

function usage(message) {
  console.error(message);
  console.error('usage: node check-dff.mjs ped.dff (expectations.json | key=value ...)');
  process.exit(2);
}

function readExpectations(args) {
  let expected = {};
  if (args.length === 1 && args[0].endsWith('.json')) {
    expected = JSON.parse(fs.readFileSync(args[0], 'utf8'));
  } else {
    for (const arg of args) {
      const [key, value] = arg.split('=');
      if (value === undefined) usage(`not key=value: ${arg}`);
      if (!Number.isFinite(Number(value))) usage(`not a number: ${arg}`);
      expected[key] = Number(value);
    }
  }
  for (const key of Object.keys(expected)) {
    if (!expectationKeys.includes(key)) usage(`unknown expectation: ${key}`);
  }
  return expected;
}

// rw-parser tells of the chunks it does not know on console.debug; they are kept, not printed.
function parse(bytes) {
  const skipped = [];
  const debug = console.debug;
  console.debug = (message) => {
    const type = /\(([0-9a-f]+)\)/.exec(String(message));
    skipped.push(type ? type[1] : String(message));
  };
  try {
    return { dff: new DffParser(bytes).parse(), skipped };
  } finally {
    console.debug = debug;
  }
}

const xyz = (v) => [v.x, v.y, v.z];

function describe(dff, skipped) {
  const clump = dff.clumps[0];
  const geometry = clump.geometryList.geometries[0];
  const skin = geometry.skin;
  const table = clump.animNodes.find((node) => node.bonesCount > 0);
  const materials = geometry.materialList.materialData;
  return {
    version: dff.version,
    clumpCount: dff.clumps.length,
    atomicCount: clump.atomicCount,
    lightCount: clump.lightCount,
    cameraCount: clump.cameraCount,
    frameCount: clump.frameList.frameCount,
    frameParents: clump.frameList.frames.map((frame) => frame.parentFrame),
    frameNames: clump.dummies,
    hanimBoneIds: clump.animNodes.map((node) => node.boneId),
    nodeCount: table === undefined ? 0 : table.bonesCount,
    nodes: table === undefined ? [] : table.bones.map((bone) => [bone.boneId, bone.boneIndex, bone.flags]),
    geometryCount: clump.geometryList.geometricObjectCount,
    vertexCount: geometry.vertexInformation.length,
    triangleCount: geometry.triangleInformation.length,
    triangles: geometry.triangleInformation.map((t) => [...xyz(t.vector), t.materialId]),
    materialCount: geometry.materialList.materialInstanceCount,
    textureNames: materials.map((material) => (material.isTextured ? material.texture.textureName : '')),
    textureFilters: materials.map((material) =>
      material.isTextured ? [material.texture.textureFiltering, material.texture.uAddressing,
        material.texture.vAddressing, material.texture.usesMipLevels] : null),
    meshCount: geometry.binMesh.meshCount,
    meshMaterials: geometry.binMesh.meshes.map((mesh) => mesh.materialIndex),
    meshIndices: geometry.binMesh.meshes.map((mesh) => mesh.indices),
    positions: geometry.vertexInformation.map(xyz),
    normals: geometry.normalInformation.map(xyz),
    uvs: (geometry.textureMappingInformation[0] || []).map((uv) => [uv.u, uv.v]),
    skinBoneCount: skin.boneCount,
    usedBoneCount: skin.usedBoneCount,
    maxWeights: skin.maxWeightsPerVertex,
    boneIndices: skin.boneVertexIndices,
    weights: skin.vertexWeights,
    atomicFrame: clump.atomics[0].frameIndex,
    atomicFlags: clump.atomics[0].flags,
    skipped,
  };
}

// What must hold whatever the model: the file agrees with itself.
function checkConsistency(dff, found, fail) {
  const clump = dff.clumps[0];
  const geometry = clump.geometryList.geometries[0];
  const inRange = (value, end) => Number.isInteger(value) && value >= 0 && value < end;
  const bones = found.frameCount - 1;

  found.frameParents.forEach((parent, i) => {
    if (i === 0 ? parent !== -1 : !inRange(parent, i)) fail(`frame ${i} has parent ${parent}`);
  });
  if (found.frameNames.length !== bones) fail(`${found.frameNames.length} frame names for ${bones} bone frames`);
  if (found.hanimBoneIds.length !== bones) fail(`${found.hanimBoneIds.length} HAnim chunks for ${bones} bone frames`);
  if (clump.animNodes.filter((node) => node.bonesCount > 0).length !== 1) fail('not exactly one node table');
  const ids = new Set(found.nodes.map((node) => node[0]));
  found.hanimBoneIds.forEach((id) => {
    if (!ids.has(id)) fail(`bone id ${id} is not in the node table`);
  });
  found.nodes.forEach((node, k) => {
    if (node[1] !== k) fail(`node ${k} has index ${node[1]}`);
  });
  if (found.nodeCount !== found.skinBoneCount) fail(`${found.nodeCount} nodes, ${found.skinBoneCount} skin bones`);

  const vertices = found.vertexCount;
  for (const [name, list] of [['normals', found.normals], ['uvs', found.uvs], ['boneIndices', found.boneIndices],
    ['weights', found.weights]]) {
    if (list.length !== vertices) fail(`${list.length} ${name} for ${vertices} vertices`);
  }
  found.triangles.forEach((t, i) => {
    if (!t.slice(0, 3).every((v) => inRange(v, vertices)) || !inRange(t[3], found.materialCount)) {
      fail(`triangle ${i} is ${t}`);
    }
  });
  let meshIndices = 0;
  found.meshIndices.forEach((indices, m) => {
    meshIndices += indices.length;
    if (!indices.every((v) => inRange(v, vertices))) fail(`mesh ${m} uses a vertex past ${vertices}`);
    if (!inRange(found.meshMaterials[m], found.materialCount)) fail(`mesh ${m} has material ${found.meshMaterials[m]}`);
  });
  if (meshIndices !== 3 * found.triangleCount) fail(`meshes hold ${meshIndices} indices for ${found.triangleCount} triangles`);

  found.boneIndices.forEach((indices, v) => {
    if (!indices.every((b) => inRange(b, found.skinBoneCount))) fail(`vertex ${v} uses bones ${indices}`);
  });
  found.weights.forEach((weights, v) => {
    const sum = weights.reduce((a, b) => a + b, 0);
    if (Math.abs(sum - 1) > 1e-3) fail(`vertex ${v} weights sum to ${sum}`);
  });
  const matrices = geometry.skin.inverseBoneMatrices;
  if (matrices.length !== found.skinBoneCount) fail(`${matrices.length} matrices for ${found.skinBoneCount} bones`);
  matrices.forEach((m, b) => {
    const column = [m.right.t, m.up.t, m.at.t, m.transform.t];
    if (column.join() !== '0,0,0,1') fail(`bone ${b}'s matrix has the fourth column ${column}`);
  });

  const sphere = geometry.boundingSphere;
  found.positions.forEach((p, v) => {
    const d = Math.hypot(p[0] - sphere.vector.x, p[1] - sphere.vector.y, p[2] - sphere.vector.z);
    if (d > sphere.radius) fail(`vertex ${v} lies ${d} from the sphere's centre, radius ${sphere.radius}`);
  });
  if (!inRange(found.atomicFrame, found.frameCount)) fail(`the atomic is on frame ${found.atomicFrame}`);
}

function checkFile(bytes, expected) {
  const problems = [];
  const fail = (message) => problems.push(message);
  let parsed;
  let found;
  try {
    parsed = parse(bytes);
    found = describe(parsed.dff, parsed.skipped);
  } catch (error) {
    return { problems: [`rw-parser failed: ${error}`] };
  }
  if (found.clumpCount !== 1) fail(`${found.clumpCount} clumps`);
  checkConsistency(parsed.dff, found, fail);
  for (const [key, value] of Object.entries(expected)) {
    if (JSON.stringify(found[key]) !== JSON.stringify(value)) {
      fail(`${key}: expected ${JSON.stringify(value)}, found ${JSON.stringify(found[key])}`);
    }
  }
  return { found, problems };
}

function main() {
  const [file, ...args] = process.argv.slice(2);
  if (file === undefined) usage('no DFF file given');
  const expected = readExpectations(args);
  const { found, problems } = checkFile(fs.readFileSync(file), expected);
  if (found !== undefined) console.log(JSON.stringify(found));
  if (problems.length > 0) {
    problems.forEach((problem) => console.log(`mismatch: ${problem}`));
    process.exit(1);
  }
  console.log('ok');
}

main();
