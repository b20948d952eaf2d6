#!/usr/bin/env node
// Writes small VMD motions byte by byte, independently of the converter, so
// that the playback check can be checked on motions whose poses we know.
//
//   node make-test-vmd.mjs OUT.vmd KEYS.json
//
// KEYS.json: [{"bone": "左腕", "frame": 30, "position": [x, y, z],
//   "rotation": [x, y, z, w]}, ...] in MMD's coordinates; position and
// rotation may be left out (zero and identity). Every key interpolates
// linearly to the next.
import fs from 'node:fs';
import { fileURLToPath } from 'node:url';

const MAGIC = 'Vocaloid Motion Data 0002';
const MAGIC_SIZE = 30;
const MODEL_NAME_SIZE = 20;
const BONE_NAME_SIZE = 15;
const BONE_KEY_SIZE = BONE_NAME_SIZE + 4 + 3 * 4 + 4 * 4 + 64;
// Morph, camera, light, self-shadow and show/IK key counts, all zero.
const EMPTY_SECTION_COUNT = 5;
// Bezier control points (20, 20) and (107, 107) lie on the diagonal: linear.
const LINEAR_X1_Y1 = 20;
const LINEAR_X2_Y2 = 107;

// Node's TextDecoder knows Shift-JIS but there is no encoder; the table is
// built once by decoding every double-byte code.
let shiftJisTable = null;

function shiftJisCodes() {
  if (shiftJisTable !== null) return shiftJisTable;
  shiftJisTable = new Map();
  const decoder = new TextDecoder('shift_jis', { fatal: true });
  const leads = [];
  for (let lead = 0x81; lead <= 0x9f; lead += 1) leads.push(lead);
  for (let lead = 0xe0; lead <= 0xfc; lead += 1) leads.push(lead);
  for (const lead of leads) {
    for (let trail = 0x40; trail <= 0xfc; trail += 1) {
      if (trail === 0x7f) continue;
      let text;
      try {
        text = decoder.decode(new Uint8Array([lead, trail]));
      } catch {
        continue;
      }
      // The first code wins where two decode alike (NEC and IBM extensions).
      if (!shiftJisTable.has(text)) shiftJisTable.set(text, [lead, trail]);
    }
  }
  return shiftJisTable;
}

export function encodeShiftJis(text) {
  const bytes = [];
  for (const character of text) {
    const code = character.codePointAt(0);
    if (code < 0x80) {
      bytes.push(code);
    } else if (code >= 0xff61 && code <= 0xff9f) {
      bytes.push(code - 0xff61 + 0xa1);
    } else {
      const pair = shiftJisCodes().get(character);
      if (pair === undefined) throw new Error(`no Shift-JIS code for ${character}`);
      bytes.push(...pair);
    }
  }
  return Buffer.from(bytes);
}

function writeName(buffer, offset, text, size) {
  const bytes = encodeShiftJis(text);
  if (bytes.length > size) throw new Error(`${text} takes ${bytes.length} bytes, more than ${size}`);
  bytes.copy(buffer, offset);
}

// The 64 bytes hold four rows; the first row is X x1, Y x1, Z x1, R x1,
// X y1 ... R y1, X x2 ... R x2, X y2 ... R y2, and each later row is the
// one before moved one byte left, as MMD writes them.
function linearInterpolation() {
  const row = [];
  for (let i = 0; i < 8; i += 1) row.push(LINEAR_X1_Y1);
  for (let i = 0; i < 8; i += 1) row.push(LINEAR_X2_Y2);
  const bytes = Buffer.alloc(64);
  for (let r = 0; r < 4; r += 1) {
    for (let i = 0; i + r < 16; i += 1) bytes[r * 16 + i] = row[i + r];
  }
  return bytes;
}

function numbers(values, count, key) {
  if (!Array.isArray(values) || values.length !== count || !values.every(Number.isFinite)) {
    throw new Error(`key ${key.bone}@${key.frame}: expected ${count} numbers`);
  }
  return values;
}

export function makeVmd(keys, modelName = 'zorvek test') {
  const size = MAGIC_SIZE + MODEL_NAME_SIZE + 4 + keys.length * BONE_KEY_SIZE + EMPTY_SECTION_COUNT * 4;
  const buffer = Buffer.alloc(size);
  buffer.write(MAGIC, 0, 'latin1');
  writeName(buffer, MAGIC_SIZE, modelName, MODEL_NAME_SIZE);
  let offset = MAGIC_SIZE + MODEL_NAME_SIZE;
  buffer.writeUInt32LE(keys.length, offset);
  offset += 4;
  const interpolation = linearInterpolation();
  for (const key of keys) {
    writeName(buffer, offset, key.bone, BONE_NAME_SIZE);
    offset += BONE_NAME_SIZE;
    buffer.writeUInt32LE(key.frame, offset);
    offset += 4;
    for (const value of numbers(key.position ?? [0, 0, 0], 3, key)) {
      buffer.writeFloatLE(value, offset);
      offset += 4;
    }
    for (const value of numbers(key.rotation ?? [0, 0, 0, 1], 4, key)) {
      buffer.writeFloatLE(value, offset);
      offset += 4;
    }
    interpolation.copy(buffer, offset);
    offset += interpolation.length;
  }
  // The remaining counts are already zero from Buffer.alloc.
  return buffer;
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [out, keysFile] = process.argv.slice(2);
  if (out === undefined || keysFile === undefined) {
    console.error('usage: node make-test-vmd.mjs OUT.vmd KEYS.json');
    process.exit(2);
  }
  fs.writeFileSync(out, makeVmd(JSON.parse(fs.readFileSync(keysFile, 'utf8'))));
}
