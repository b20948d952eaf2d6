#!/usr/bin/env node
// Plays a VMD motion on a PMX model in three.js's MMD runtime and compares
// each named bone's world position at the given frames with the positions
// that our own tests computed.
//
//   node check-motion.mjs MODEL.pmx MOTION.vmd EXPECTED.json
//
// EXPECTED.json: {"ik": true|false, "tolerance": 0.01,
//   "frames": [{"frame": 12, "bones": {"センター": [x, y, z], ...}}, ...]}
// Positions are in the PMX file's own coordinates (left-handed, y up).
// Exit status: 0 when every distance is within the tolerance, 1 when one is
// not, 2 on bad arguments, an unreadable file or a bone the model lacks.
import fs from 'node:fs';
import { createLoader, loadModel, loadMotion, boneWorldPosition, MotionPoser } from './mmd-runtime.mjs';

class UsageError extends Error {}

function fail(message) {
  throw new UsageError(message);
}

function isPoint(value) {
  return Array.isArray(value) && value.length === 3 && value.every(Number.isFinite);
}

function readExpected(file) {
  let expected;
  try {
    expected = JSON.parse(fs.readFileSync(file, 'utf8'));
  } catch (error) {
    fail(`cannot read ${file}: ${error.message}`);
  }
  if (expected === null || typeof expected !== 'object') fail(`${file}: not a JSON object`);
  if (typeof expected.ik !== 'boolean') fail(`${file}: "ik" must be true or false`);
  if (!Number.isFinite(expected.tolerance) || expected.tolerance < 0) fail(`${file}: "tolerance" must be a number >= 0`);
  if (!Array.isArray(expected.frames) || expected.frames.length === 0) fail(`${file}: "frames" must be a non-empty array`);
  expected.frames.forEach((entry, i) => {
    if (entry === null || typeof entry !== 'object') fail(`${file}: frames[${i}] is not an object`);
    if (!Number.isInteger(entry.frame) || entry.frame < 0) fail(`${file}: frames[${i}].frame must be an integer >= 0`);
    if (entry.bones === null || typeof entry.bones !== 'object' || Object.keys(entry.bones).length === 0) {
      fail(`${file}: frames[${i}].bones must be a non-empty object`);
    }
    for (const [name, point] of Object.entries(entry.bones)) {
      if (!isPoint(point)) fail(`${file}: frames[${i}].bones["${name}"] must be [x, y, z]`);
    }
  });
  return expected;
}

function load(label, read) {
  try {
    return read();
  } catch (error) {
    // mmd-parser throws plain strings, not Errors.
    fail(`cannot load ${label}: ${error instanceof Error ? error.message : error}`);
  }
}

function formatPoint(point) {
  return `[${point.map((value) => value.toFixed(5)).join(', ')}]`;
}

function check(modelFile, motionFile, expectedFile) {
  const expected = readExpected(expectedFile);
  const loader = createLoader();
  const { mesh } = load(modelFile, () => loadModel(loader, modelFile));
  const { clip } = load(motionFile, () => loadMotion(loader, motionFile, mesh));

  // Every name is looked up before anything plays, so a misspelt bone is a
  // bad expectation (exit 2), not a mismatch.
  const bones = new Map();
  for (const entry of expected.frames) {
    for (const name of Object.keys(entry.bones)) {
      const bone = mesh.skeleton.getBoneByName(name);
      if (bone === undefined) fail(`${modelFile} has no bone named ${name}`);
      bones.set(name, bone);
    }
  }

  const poser = new MotionPoser(mesh, clip, { ik: expected.ik });
  let checked = 0;
  let failed = 0;
  let worst = { distance: -1, frame: 0, name: '' };
  for (const entry of expected.frames) {
    poser.poseAt(entry.frame);
    for (const [name, want] of Object.entries(entry.bones)) {
      const got = boneWorldPosition(bones.get(name));
      const distance = Math.hypot(got[0] - want[0], got[1] - want[1], got[2] - want[2]);
      checked += 1;
      if (distance > worst.distance) worst = { distance, frame: entry.frame, name };
      if (!(distance <= expected.tolerance)) {
        failed += 1;
        console.log(`frame ${entry.frame} ${name}: expected ${formatPoint(want)}, actual ${formatPoint(got)}, distance ${distance.toFixed(5)}`);
      }
    }
  }
  console.log(`checked ${checked} positions in ${expected.frames.length} frames, largest error ${worst.distance.toFixed(5)} at frame ${worst.frame} bone ${worst.name}`);
  return failed === 0 ? 0 : 1;
}

function main(args) {
  if (args.length !== 3) fail('usage: node check-motion.mjs MODEL.pmx MOTION.vmd EXPECTED.json');
  return check(...args);
}

try {
  process.exitCode = main(process.argv.slice(2));
} catch (error) {
  console.error(error instanceof UsageError ? error.message : error.stack);
  process.exitCode = 2;
}
