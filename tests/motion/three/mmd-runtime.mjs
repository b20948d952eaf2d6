// Loads a PMX model and a VMD motion with three.js's own MMD loader and plays
// the motion with its MMDAnimationHelper, so that what we check is what a
// third-party runtime makes of our files, not what our own code thinks.
// Shared by check-motion.mjs and render-pose.mjs.
import fs from 'node:fs';
import path from 'node:path';
import { LoopOnce, Texture, Vector3 } from 'three';
import { MMDLoader } from 'three/examples/jsm/loaders/MMDLoader.js';
import { MMDAnimationHelper } from 'three/examples/jsm/animation/MMDAnimationHelper.js';

const FRAMES_PER_SECOND = 30;

// three 0.171 warns on every loader and helper that they are going away; the
// warning says nothing about our files and would bury the check's own output.
function withoutDeprecationWarnings(make) {
  const warn = console.warn;
  console.warn = (...args) => {
    if (typeof args[0] === 'string' && args[0].includes('has been deprecated')) return;
    warn(...args);
  };
  try {
    return make();
  } finally {
    console.warn = warn;
  }
}

function readBuffer(file) {
  const bytes = fs.readFileSync(file);
  return bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
}

// The loader would fetch textures through the DOM, which Node lacks; the
// bones do not depend on them, so every material gets an empty texture that
// never becomes ready (the loader's transparency check waits on it forever).
function stubTextures(loader) {
  loader.meshBuilder.materialBuilder._loadTexture = () => {
    const texture = new Texture();
    texture.readyCallbacks = [];
    return texture;
  };
}

export function createLoader() {
  const loader = withoutDeprecationWarnings(() => new MMDLoader());
  stubTextures(loader);
  return loader;
}

// Returns the SkinnedMesh and the parsed PMX. The parser turns MMD's
// left-handed coordinates into three's right-handed ones by negating z of
// every position (and x, y of quaternions); pmxPosition undoes that.
export function loadModel(loader, file) {
  const data = loader._getParser().parsePmx(readBuffer(file), true);
  const resourcePath = path.dirname(path.resolve(file)) + path.sep;
  const mesh = loader.meshBuilder.build(data, resourcePath);
  return { mesh, data };
}

export function loadMotion(loader, file, mesh) {
  const vmd = loader._getParser().parseVmd(readBuffer(file), true);
  return { vmd, clip: loader.animationBuilder.build(vmd, mesh) };
}

export function pmxPosition(vector) {
  return [vector.x, vector.y, -vector.z];
}

// A bone's world position in PMX coordinates; needs updateMatrixWorld first.
export function boneWorldPosition(bone) {
  return pmxPosition(bone.getWorldPosition(new Vector3()));
}

// Poses a mesh at exact motion frames through MMDAnimationHelper, with or
// without its CCD IK solver. Physics stays off: the check is about the
// motion's keys, and rigid bodies would make the pose depend on history.
export class MotionPoser {
  constructor(mesh, clip, { ik }) {
    this.mesh = mesh;
    this.helper = withoutDeprecationWarnings(() => new MMDAnimationHelper());
    this.helper.add(mesh, { animation: clip, physics: false });
    this.helper.enable('ik', ik);
    this.action = this.helper.objects.get(mesh).mixer.clipAction(clip);
    // Played once and held at the end, as MMD holds the last key; the default
    // repeat would wrap a frame at the clip's end back to frame 0.
    this.action.setLoop(LoopOnce, 1);
    this.action.clampWhenFinished = true;
  }

  // Restarts the action and advances it by exactly frame / 30 seconds in one
  // helper update, which samples the tracks at that time and then runs IK
  // and grants on the result, as a player would for that frame.
  //
  // three stores key times as float32 and, between keys one frame apart,
  // holds the earlier key until the later one's time (MMD steps from frame to
  // frame): the time asked must be the float32 time of the frame itself, not
  // the double just below it, or the pose of the frame before comes back.
  poseAt(frame) {
    this.action.reset();
    this.helper.update(Math.fround(frame / FRAMES_PER_SECOND));
    this.mesh.updateMatrixWorld(true);
  }
}
