#!/usr/bin/env node
// Checks the checker: converts the sample model with zorvek, writes a motion
// whose poses follow from the rest positions by plain geometry, and runs
// check-motion.mjs on right and on deliberately wrong expectations.
//
//   node self-test.mjs [ZORVEK] [SAMPLE.dff] [TABLES_DIR]
//
// Defaults are the default preset's binary, samples/zorvek_sample.dff and
// data/ of this repository. Run by hand; prints one line per case and
// "N passed, N failed".
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { makeVmd } from './make-test-vmd.mjs';
import { createLoader } from './mmd-runtime.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../../..');
const [zorvek = path.join(root, 'build/default/src/app/zorvek'),
  sample = path.join(root, 'samples/zorvek_sample.dff'),
  tables = path.join(root, 'data')] = process.argv.slice(2);

const MOTION_END = 30;
const ARM_TURN_DEGREES = 90;
// Down into a crouch and towards the model's back (+z is behind an MMD
// model), so that a runtime that forgets to flip z puts every bone 1 unit
// off. The crouch is deep because three's CCD solver creeps when a leg is
// nearly straight: with the centre only 1 unit down its 40 iterations leave
// the ankle about 0.1 short of the IK bone, and with a straight leg moved
// straight down it does not bend the knee at all.
const CENTER_MOVE = [0, -4, 0.5];
// Knees bent backwards (the model's knee limits allow only negative angles
// about x), to check a turn about x when IK is off; with IK on the solver
// starts from this bend.
const KNEE_BEND_DEGREES = -30;

function convertSample(folder) {
  const model = path.join(folder, 'model.pmx');
  const run = spawnSync(zorvek, ['convert', sample, '-o', model, '--mode', 'mmd', '--tables', tables, '--no-textures'],
    { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`zorvek convert failed: ${run.stderr}${run.stdout}`);
  return model;
}

// Rest positions as the file stores them (no conversion to three's axes).
function restPositions(model) {
  const bytes = fs.readFileSync(model);
  const pmx = createLoader()._getParser().parsePmx(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length), false);
  return new Map(pmx.bones.map((bone) => [bone.name, bone.position]));
}

function add(a, b) {
  return a.map((value, i) => value + b[i]);
}

function subtract(a, b) {
  return a.map((value, i) => value - b[i]);
}

function scale(a, factor) {
  return a.map((value) => value * factor);
}

function radians(degrees) {
  return (degrees * Math.PI) / 180;
}

// The quaternions (0, sin(a/2), 0, cos(a/2)) and (sin(a/2), 0, 0, cos(a/2))
// as matrices acting on the file's coordinates.
function turnAboutY([x, y, z], degrees) {
  const a = radians(degrees);
  return [x * Math.cos(a) + z * Math.sin(a), y, -x * Math.sin(a) + z * Math.cos(a)];
}

function turnAboutX([x, y, z], degrees) {
  const a = radians(degrees);
  return [x, y * Math.cos(a) - z * Math.sin(a), y * Math.sin(a) + z * Math.cos(a)];
}

function testMotion() {
  const arm = radians(ARM_TURN_DEGREES) / 2;
  const knee = radians(KNEE_BEND_DEGREES) / 2;
  const bent = [Math.sin(knee), 0, 0, Math.cos(knee)];
  return makeVmd([
    { bone: 'センター', frame: 0 },
    { bone: 'センター', frame: MOTION_END, position: CENTER_MOVE },
    { bone: '左腕', frame: 0 },
    { bone: '左腕', frame: MOTION_END, rotation: [0, Math.sin(arm), 0, Math.cos(arm)] },
    { bone: '左ひざ', frame: 0, rotation: bent },
    { bone: '右ひざ', frame: 0, rotation: bent },
  ]);
}

// Where the bones are at a frame of testMotion. The keys are linear, so at
// a fraction t of the motion the centre has moved t of the way and the arm
// has turned t of the angle (slerp about one axis); after the last key the
// pose holds. Without IK the knees keep their bend; with it the ankles stay
// on the leg IK bones, which are not children of the centre, and the knees
// go wherever the solver puts them, so they are not checked. `wrong` bends
// one rule so that the check must fail.
function expectedPose(rest, frame, { ik, wrong = '' }) {
  const t = Math.min(frame / MOTION_END, 1);
  const move = scale(CENTER_MOVE, t);
  if (wrong === 'z not flipped') move[2] = -move[2];
  const turn = wrong === 'arm turned the other way' ? -ARM_TURN_DEGREES * t : ARM_TURN_DEGREES * t;
  const moved = (name) => add(rest.get(name), move);
  const turned = (name, pivot, turnAbout, degrees) =>
    add(moved(pivot), turnAbout(subtract(rest.get(name), rest.get(pivot)), degrees));
  const pose = {
    'センター': moved('センター'),
    '頭': moved('頭'),
    '左腕': moved('左腕'),
    '左ひじ': turned('左ひじ', '左腕', turnAboutY, turn),
    '左手首': turned('左手首', '左腕', turnAboutY, turn),
    '右ひじ': moved('右ひじ'),
  };
  const planted = ik !== (wrong === 'feet as the other ik setting');
  for (const side of ['左', '右']) {
    if (!ik) pose[`${side}ひざ`] = moved(`${side}ひざ`);
    pose[`${side}足首`] = planted ? rest.get(`${side}足首`) : turned(`${side}足首`, `${side}ひざ`, turnAboutX, KNEE_BEND_DEGREES);
  }
  return pose;
}

function expectation(rest, { ik, wrong, extraBone }) {
  return {
    ik,
    tolerance: 0.01,
    frames: [0, 15, MOTION_END, 45].map((frame) => {
      const bones = expectedPose(rest, frame, { ik, wrong });
      if (extraBone !== undefined) bones[extraBone] = [0, 0, 0];
      return { frame, bones };
    }),
  };
}

const cases = [
  { name: 'ik off, right pose', ik: false, status: 0, shows: /^checked \d+ positions in 4 frames, largest error/m },
  { name: 'ik on, right pose', ik: true, status: 0, shows: /^checked \d+ positions in 4 frames, largest error/m },
  { name: 'ik off, arm turned the other way', ik: false, wrong: 'arm turned the other way', status: 1, shows: /^frame 30 左ひじ: expected/m },
  { name: 'ik off, z not flipped', ik: false, wrong: 'z not flipped', status: 1, shows: /^frame 45 センター: expected/m },
  { name: 'ik on, feet moved with the centre', ik: true, wrong: 'feet as the other ik setting', status: 1, shows: /^frame 30 左足首: expected/m },
  { name: 'ik off, feet planted', ik: false, wrong: 'feet as the other ik setting', status: 1, shows: /^frame 30 右足首: expected/m },
  { name: 'bone the model lacks', ik: false, extraBone: '尻尾', status: 2, shows: /has no bone named 尻尾/ },
  { name: 'tolerance missing', ik: false, json: (e) => ({ ...e, tolerance: undefined }), status: 2, shows: /"tolerance" must be a number/ },
  { name: 'motion given as the model', ik: false, args: (model, motion, json) => [motion, motion, json], status: 2, shows: /cannot load/ },
  { name: 'two arguments', ik: false, args: (model, motion) => [model, motion], status: 2, shows: /^usage:/ },
];

function runCase(folder, model, motion, rest, testCase, index) {
  let expected = expectation(rest, testCase);
  if (testCase.json !== undefined) expected = testCase.json(expected);
  const json = path.join(folder, `expected-${index}.json`);
  fs.writeFileSync(json, JSON.stringify(expected, null, 1));
  const args = testCase.args === undefined ? [model, motion, json] : testCase.args(model, motion, json);
  const started = process.hrtime.bigint();
  const run = spawnSync(process.execPath, [path.join(here, 'check-motion.mjs'), ...args], { encoding: 'utf8' });
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  const output = run.stdout + run.stderr;
  const ok = run.status === testCase.status && testCase.shows.test(output);
  console.log(`${ok ? 'ok' : 'FAIL'} ${testCase.name}: exit ${run.status} in ${seconds.toFixed(2)} s`);
  for (const line of output.trimEnd().split('\n')) console.log(`    ${line}`);
  return ok;
}

const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvek-motion-'));
try {
  const model = convertSample(folder);
  const motion = path.join(folder, 'motion.vmd');
  fs.writeFileSync(motion, testMotion());
  const rest = restPositions(model);
  let passed = 0;
  cases.forEach((testCase, i) => {
    if (runCase(folder, model, motion, rest, testCase, i)) passed += 1;
  });
  console.log(`${passed} passed, ${cases.length - passed} failed`);
  process.exitCode = passed === cases.length ? 0 : 1;
} finally {
  fs.rmSync(folder, { recursive: true, force: true });
}
