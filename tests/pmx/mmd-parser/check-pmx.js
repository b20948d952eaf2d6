#!/usr/bin/env node
// Reads a converted PMX file with mmd-parser, a reader we did not write, and
// checks that it parses to the end and that every count and index agrees.
//
//   node check-pmx.js model.pmx expectations.json
//   node check-pmx.js model.pmx vertexCount=3 boneCount=13 ...
//
// Expectation keys: vertexCount, faceCount (triangles), textureCount,
// materialCount, boneCount, ikCount, frameCount, boneIndexSize, morphCount,
// grantCount (bones that take another's turn); texturesBeside=1
// also requires every texture the materials use to be an image file beside
// the PMX (PNG and BMP by their signatures).
// Exit status: 0 when everything matches, 1 on a mismatch, 2 on bad usage.
'use strict';

const fs = require('fs');
const path = require('path');
const { Parser } = require('mmd-parser');

const expectationKeys = [
  'vertexCount', 'faceCount', 'textureCount', 'materialCount', 'boneCount', 'ikCount', 'frameCount', 'boneIndexSize',
  'morphCount', 'grantCount', 'texturesBeside',
];

const imageSignatures = { '.png': [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a], '.bmp': [0x42, 0x4d] };

// The texture files that the materials name, beside the model as a PMX viewer looks for them.
function checkTexturesBeside(pmx, folder, fail) {
  pmx.materials.forEach((material, i) => {
    if (material.textureIndex < 0) return;
    const name = pmx.textures[material.textureIndex];
    const file = path.join(folder, name);
    if (!fs.existsSync(file)) return fail(`material ${i} names ${name}, which is not beside the model`);
    const signature = imageSignatures[path.extname(name).toLowerCase()];
    const head = fs.readFileSync(file).subarray(0, 8);
    if (signature !== undefined && !signature.every((byte, k) => head[k] === byte)) fail(`${name} is no image`);
  });
}

function usage(message) {
  console.error(message);
  console.error('usage: node check-pmx.js model.pmx (expectations.json | key=value ...)');
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
      expected[key] = Number(value);
    }
  }
  for (const [key, value] of Object.entries(expected)) {
    if (!expectationKeys.includes(key)) usage(`unknown expectation: ${key}`);
    if (!Number.isInteger(value)) usage(`not an integer: ${key}`);
  }
  return expected;
}

function parse(bytes) {
  const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length);
  return new Parser().parsePmx(buffer, false);
}

function checkFile(bytes, expected, folder) {
  const problems = [];
  const fail = (message) => problems.push(message);
  const inRange = (value, low, end) => Number.isInteger(value) && value >= low && value < end;

  let pmx;
  try {
    pmx = parse(bytes);
  } catch (error) {
    return { problems: [`mmd-parser failed: ${error}`] };
  }
  // The parser does not say where it stopped: one byte less must not parse.
  try {
    parse(bytes.subarray(0, bytes.length - 1));
    fail('bytes after the last section');
  } catch (error) {
    // expected
  }

  const m = pmx.metadata;
  const bones = pmx.bones;
  const iks = bones.filter((bone) => bone.ik !== undefined);
  const found = {
    vertexCount: m.vertexCount, faceCount: m.faceCount, textureCount: m.textureCount,
    materialCount: m.materialCount, boneCount: m.boneCount, ikCount: iks.length, frameCount: m.frameCount,
    boneIndexSize: m.boneIndexSize, morphCount: m.morphCount,
    grantCount: bones.filter((bone) => bone.grant !== undefined).length, texturesBeside: expected.texturesBeside,
  };
  if (expected.texturesBeside === 1) checkTexturesBeside(pmx, folder, fail);
  for (const [key, value] of Object.entries(expected)) {
    if (found[key] !== value) fail(`${key}: expected ${value}, found ${found[key]}`);
  }

  if (!Number.isInteger(m.faceCount)) fail(`face index count ${m.faceCount * 3} is not a multiple of 3`);
  pmx.vertices.forEach((vertex, v) => {
    vertex.skinIndices.forEach((bone) => {
      if (!inRange(bone, 0, m.boneCount)) fail(`vertex ${v} uses bone ${bone}`);
    });
  });
  pmx.faces.forEach((face, f) => {
    face.indices.forEach((index) => {
      if (!inRange(index, 0, m.vertexCount)) fail(`face ${f} uses vertex ${index}`);
    });
  });
  let materialFaces = 0;
  pmx.materials.forEach((material, i) => {
    materialFaces += material.faceCount;
    if (!inRange(material.textureIndex, -1, m.textureCount)) fail(`material ${i} uses texture ${material.textureIndex}`);
  });
  if (materialFaces !== m.faceCount) fail(`materials cover ${materialFaces} faces of ${m.faceCount}`);
  bones.forEach((bone, b) => {
    if (!inRange(bone.parentIndex, -1, m.boneCount) || bone.parentIndex === b) fail(`bone ${b} has parent ${bone.parentIndex}`);
    if (bone.connectIndex !== undefined && !inRange(bone.connectIndex, -1, m.boneCount)) {
      fail(`bone ${b} has tail ${bone.connectIndex}`);
    }
    if (bone.grant !== undefined && (!inRange(bone.grant.parentIndex, 0, m.boneCount) || bone.grant.parentIndex === b)) {
      fail(`bone ${b} takes a grant from ${bone.grant.parentIndex}`);
    }
    if (bone.ik === undefined) return;
    if (!inRange(bone.ik.effector, 0, m.boneCount)) fail(`IK bone ${b} has target ${bone.ik.effector}`);
    bone.ik.links.forEach((link) => {
      if (!inRange(link.index, 0, m.boneCount)) fail(`IK bone ${b} has link ${link.index}`);
    });
  });
  pmx.morphs.forEach((morph, i) => {
    (morph.elements || []).forEach((element) => {
      if (morph.type === 2 && !inRange(element.index, 0, m.boneCount)) fail(`morph ${i} moves bone ${element.index}`);
    });
  });
  pmx.frames.forEach((frame, i) => {
    frame.elements.forEach((element) => {
      const count = element.target === 0 ? m.boneCount : m.morphCount;
      if ((element.target !== 0 && element.target !== 1) || !inRange(element.index, 0, count)) {
        fail(`display frame ${i} holds ${element.target === 0 ? 'bone' : 'morph'} ${element.index}`);
      }
    });
  });
  return { found, problems };
}

function main() {
  const [file, ...args] = process.argv.slice(2);
  if (file === undefined) usage('no PMX file given');
  const expected = readExpectations(args);
  const { found, problems } = checkFile(fs.readFileSync(file), expected, path.dirname(file));
  if (found !== undefined) console.log(JSON.stringify(found));
  if (problems.length > 0) {
    problems.forEach((problem) => console.log(`mismatch: ${problem}`));
    process.exit(1);
  }
  console.log('ok');
}

main();
