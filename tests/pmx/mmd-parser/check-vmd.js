#!/usr/bin/env node
// Reads a written VMD file with mmd-parser, a reader we did not write, and
// checks its model name and every bone key against the expectations.
// mmd-parser stops after the camera keys: the light, self-shadow and show/IK
// sections are read here, with mmd-parser's own Shift-JIS decoder, and the
// file must end right after them.
//
//   node check-vmd.js motion.vmd expectations.json
//
// Expectations (all optional):
//   {"modelName": "...", "motionCount": 3,
//    "motions": [{"boneName": "...", "frame": 0, "position": [x, y, z], "rotation": [x, y, z, w]}, ...],
//    "showIk": [{"frame": 0, "visible": true, "iks": [{"name": "...", "enabled": true}, ...]}, ...]}
// "motions" lists the first keys of the file in order; numbers are compared
// as the 32-bit floats the file holds. Every key must also carry linear
// curves as three.js reads them from the interpolation bytes.
// Exit status: 0 when everything matches, 1 on a mismatch, 2 on bad usage.
'use strict';

const fs = require('fs');
const { Parser, CharsetEncoder } = require('mmd-parser');

const expectationKeys = ['modelName', 'motionCount', 'motions', 'showIk'];

// Bytes of the sections mmd-parser reads: header, then per bone, morph and camera key.
const headerSize = 30 + 20;
const boneKeySize = 111;
const morphKeySize = 23;
const cameraKeySize = 61;

function usage(message) {
  console.error(message);
  console.error('usage: node check-vmd.js motion.vmd expectations.json');
  process.exit(2);
}

function readExpectations(file) {
  const expected = JSON.parse(fs.readFileSync(file, 'utf8'));
  for (const key of Object.keys(expected)) {
    if (!expectationKeys.includes(key)) usage(`unknown expectation: ${key}`);
  }
  return expected;
}

// The sections after the cameras, which mmd-parser leaves unread.
function readTail(bytes, offset) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.length);
  const encoder = new CharsetEncoder();
  const need = (n) => {
    if (offset + n > bytes.length) throw new Error(`the file ends at ${bytes.length}, inside a value at ${offset}`);
  };
  const u8 = () => (need(1), view.getUint8(offset++));
  const u32 = () => {
    need(4);
    const value = view.getUint32(offset, true);
    offset += 4;
    return value;
  };
  const text = (size) => {
    need(size);
    const field = bytes.subarray(offset, offset + size);
    offset += size;
    const end = field.indexOf(0);
    return encoder.s2u(end < 0 ? field : field.subarray(0, end));
  };
  const lightCount = u32();
  const shadowCount = u32();
  const showIk = [];
  const showIkCount = u32();
  for (let i = 0; i < showIkCount; i++) {
    const key = { frame: u32(), visible: u8() === 1, iks: [] };
    const ikCount = u32();
    for (let k = 0; k < ikCount; k++) key.iks.push({ name: text(20), enabled: u8() === 1 });
    showIk.push(key);
  }
  return { lightCount, shadowCount, showIk, end: offset };
}

// The curve three.js's MMDLoader takes for X, Y, Z and R: bytes c, c + 8, c + 4, c + 12.
function isLinear(interpolation) {
  for (let c = 0; c < 4; c++) {
    const points = [interpolation[c], interpolation[c + 4], interpolation[c + 8], interpolation[c + 12]];
    if (points[0] !== points[1] || points[2] !== points[3]) return false;
  }
  return true;
}

function sameFloats(found, expected) {
  return found.length === expected.length && expected.every((value, i) => found[i] === Math.fround(value));
}

function checkMotions(vmd, expected, fail) {
  (expected.motions || []).forEach((want, i) => {
    const key = vmd.motions[i];
    if (key === undefined) return fail(`bone key ${i} is missing`);
    const found = { boneName: key.boneName, frame: key.frameNum, position: [...key.position], rotation: [...key.rotation] };
    if (found.boneName !== want.boneName) fail(`bone key ${i}: name ${found.boneName}, expected ${want.boneName}`);
    if (found.frame !== want.frame) fail(`bone key ${i}: frame ${found.frame}, expected ${want.frame}`);
    if (!sameFloats(found.position, want.position)) fail(`bone key ${i}: position ${found.position}, expected ${want.position}`);
    if (!sameFloats(found.rotation, want.rotation)) fail(`bone key ${i}: rotation ${found.rotation}, expected ${want.rotation}`);
  });
  vmd.motions.forEach((key, i) => {
    if (!isLinear(key.interpolation)) fail(`bone key ${i} is not linear: ${[...key.interpolation.subarray(0, 16)]}`);
  });
}

function checkFile(bytes, expected) {
  const problems = [];
  const fail = (message) => problems.push(message);
  let vmd;
  let tail;
  try {
    const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length);
    vmd = new Parser().parseVmd(buffer, false);
    const m = vmd.metadata;
    tail = readTail(bytes, headerSize + 4 + m.motionCount * boneKeySize + 4 + m.morphCount * morphKeySize + 4 +
                           m.cameraCount * cameraKeySize);
  } catch (error) {
    return { problems: [`the file does not read: ${error}`] };
  }
  const m = vmd.metadata;
  const found = { modelName: m.name, motionCount: m.motionCount, morphCount: m.morphCount, cameraCount: m.cameraCount,
                  lightCount: tail.lightCount, shadowCount: tail.shadowCount, showIkCount: tail.showIk.length };
  if ('modelName' in expected && m.name !== expected.modelName) fail(`modelName: ${m.name}, expected ${expected.modelName}`);
  if ('motionCount' in expected && m.motionCount !== expected.motionCount) {
    fail(`motionCount: ${m.motionCount}, expected ${expected.motionCount}`);
  }
  for (const key of ['morphCount', 'cameraCount', 'lightCount', 'shadowCount']) {
    if (found[key] !== 0) fail(`${key}: ${found[key]}, expected 0`);
  }
  checkMotions(vmd, expected, fail);
  if ('showIk' in expected && JSON.stringify(tail.showIk) !== JSON.stringify(expected.showIk)) {
    fail(`showIk: ${JSON.stringify(tail.showIk)}, expected ${JSON.stringify(expected.showIk)}`);
  }
  if (tail.end !== bytes.length) fail(`${bytes.length - tail.end} bytes after the show/IK keys`);
  return { found, problems };
}

function main() {
  const [file, expectationFile, ...rest] = process.argv.slice(2);
  if (file === undefined || expectationFile === undefined || rest.length > 0) usage('give a VMD file and a JSON file');
  const { found, problems } = checkFile(fs.readFileSync(file), readExpectations(expectationFile));
  if (found !== undefined) console.log(JSON.stringify(found));
  if (problems.length > 0) {
    problems.forEach((problem) => console.log(`mismatch: ${problem}`));
    process.exit(1);
  }
  console.log('ok');
}

main();
