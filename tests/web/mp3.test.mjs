// The page's reading of MP3 frames (web/site/page/mp3.js), on the site's
// own music: what the page relies on to cut the music between frames and
// to fetch it from a later second.
// Run by scripts/test after scripts/web: node --test tests/web/mp3.test.mjs
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { musicFile, repo, siteDir } from './browser.mjs';

const {
  constantFrameNumber, constantFrameStart, decodedLength, fileTag, findFrame, frameHeader, id3Size,
} = await import(pathToFileURL(join(repo, 'web', 'site', 'page', 'mp3.js')).href);

const bytes = new Uint8Array(readFileSync(join(siteDir, musicFile())));

test("the music's frames, walked by their headers, are the ones its tag counts, where its bit rate places them", () => {
  const first = findFrame(bytes, id3Size(bytes));
  assert.ok(first >= 0, 'a first frame');
  const header = frameHeader(bytes, first);
  const tag = fileTag(bytes, first);
  assert.ok(tag && tag.constant, 'an "Info" tag: one bit rate');
  const starts = [];
  for (let at = first; frameHeader(bytes, at); at += frameHeader(bytes, at).length) starts.push(at);
  // Frame 0 is the tag's own; each later one a few bytes at most from where
  // the bit rate puts it (a frame's padding byte comes now and then).
  assert.equal(starts.length - 1, tag.frames);
  starts.forEach((at, k) => {
    assert.ok(Math.abs(constantFrameStart(first, header, k) - at) <= 4, `frame ${k} at byte ${at}`);
    assert.equal(constantFrameNumber(first, header, at), k, `frame at byte ${at}`);
  });
  assert.ok(bytes.length - starts.at(-1) - frameHeader(bytes, starts.at(-1)).length < 256, 'nothing but a tag after');
  assert.equal(decodedLength(tag, header.samples), tag.frames * header.samples - tag.delay - tag.padding);
  assert.ok(tag.delay > 0 && tag.padding > 0, `the encoder's delay ${tag.delay} and padding ${tag.padding}`);
});

test('a header that is no layer III frame, or a stray 0xFF, is no frame', () => {
  const first = findFrame(bytes, id3Size(bytes));
  const header = bytes.slice(first, first + 4);
  const changed = (i, value) => Object.assign(header.slice(), { [i]: value });
  assert.equal(frameHeader(changed(1, (header[1] & ~0x06) | 0x04), 0), null, 'layer II');
  assert.equal(frameHeader(changed(2, header[2] & 0x0f), 0), null, 'free bit rate');
  assert.equal(frameHeader(changed(2, header[2] | 0x0c), 0), null, 'no sample rate');
  // One header without a next one where its length ends is no frame.
  const stray = new Uint8Array(2000);
  stray.set(header, 10);
  assert.equal(findFrame(stray, 0), -1);
});
