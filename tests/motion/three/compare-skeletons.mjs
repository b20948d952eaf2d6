#!/usr/bin/env node
// Plays one VMD motion on two PMX models in three.js's MMD runtime (IK and
// grants on) and measures, bone by bone, how far apart the two turn in world
// space: the worst angle over every frame for each bone both models have.
// Rotations in MMD do not depend on where a bone stands, so two models with
// the same hierarchy and grants turn alike whatever their proportions; what
// differs shows a hierarchy or a grant that differs.
//
//   node compare-skeletons.mjs REFERENCE.pmx MODEL.pmx MOTION.vmd LAST_FRAME [--skip NAME ...]
//
// Prints one line per compared bone, "turn NAME DEGREES", then for each IK
// bone of MODEL "reach NAME UNITS" (the worst distance between the IK bone
// and its target after solving), then "frames N".
// Exit status: 0 when measured, 2 on bad arguments or unreadable files.
import { Quaternion, Vector3 } from 'three';
import { createLoader, loadModel, loadMotion, MotionPoser } from './mmd-runtime.mjs';

class UsageError extends Error {}

function usage(message) {
  throw new UsageError(`${message}\nusage: node compare-skeletons.mjs REFERENCE.pmx MODEL.pmx MOTION.vmd LAST_FRAME [--skip NAME ...]`);
}

function parseArguments(args) {
  const positional = [];
  const skipped = new Set();
  for (let i = 0; i < args.length; i += 1) {
    if (args[i] === '--skip') {
      if (args[i + 1] === undefined) usage('--skip needs a bone name');
      skipped.add(args[i + 1]);
      i += 1;
    } else positional.push(args[i]);
  }
  if (positional.length !== 4) usage('four arguments are needed');
  const lastFrame = Number(positional[3]);
  if (!Number.isInteger(lastFrame) || lastFrame < 0) usage(`LAST_FRAME must be an integer >= 0: ${positional[3]}`);
  return { reference: positional[0], model: positional[1], motion: positional[2], lastFrame, skipped };
}

function load(label, read) {
  try {
    return read();
  } catch (error) {
    // mmd-parser throws plain strings, not Errors.
    throw new UsageError(`cannot load ${label}: ${error instanceof Error ? error.message : error}`);
  }
}

function posed(loader, modelFile, motionFile) {
  const { mesh } = load(modelFile, () => loadModel(loader, modelFile));
  const { clip } = load(motionFile, () => loadMotion(loader, motionFile, mesh));
  return { mesh, poser: new MotionPoser(mesh, clip, { ik: true }) };
}

function degreesBetween(a, b) {
  const dot = Math.min(1, Math.abs(a.dot(b)));
  return (2 * Math.acos(dot) * 180) / Math.PI;
}

function compare({ reference, model, motion, lastFrame, skipped }) {
  const loader = createLoader();
  const ours = posed(loader, model, motion);
  const theirs = posed(loader, reference, motion);

  const pairs = [];
  for (const bone of ours.mesh.skeleton.bones) {
    if (skipped.has(bone.name)) continue;
    const other = theirs.mesh.skeleton.getBoneByName(bone.name);
    if (other !== undefined) pairs.push({ name: bone.name, ours: bone, theirs: other, worst: 0 });
  }
  const bones = ours.mesh.skeleton.bones;
  // three calls the IK bone "target" and the bone it leads "effector".
  const reaches = ours.mesh.geometry.userData.MMD.iks.map((ik) => ({
    name: bones[ik.target].name,
    ik: bones[ik.target],
    target: bones[ik.effector],
    worst: 0,
  }));

  const a = new Quaternion();
  const b = new Quaternion();
  const p = new Vector3();
  const q = new Vector3();
  for (let frame = 0; frame <= lastFrame; frame += 1) {
    ours.poser.poseAt(frame);
    theirs.poser.poseAt(frame);
    for (const pair of pairs) {
      pair.worst = Math.max(pair.worst, degreesBetween(pair.ours.getWorldQuaternion(a), pair.theirs.getWorldQuaternion(b)));
    }
    for (const reach of reaches) {
      reach.worst = Math.max(reach.worst, reach.ik.getWorldPosition(p).distanceTo(reach.target.getWorldPosition(q)));
    }
  }
  for (const pair of pairs) console.log(`turn ${pair.name} ${pair.worst.toFixed(4)}`);
  for (const reach of reaches) console.log(`reach ${reach.name} ${reach.worst.toFixed(5)}`);
  console.log(`frames ${lastFrame + 1}`);
}

try {
  compare(parseArguments(process.argv.slice(2)));
} catch (error) {
  console.error(error instanceof UsageError ? error.message : error.stack);
  process.exit(2);
}
