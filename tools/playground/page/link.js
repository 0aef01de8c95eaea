// Session links: a scenario text carried in a page address's fragment, as "session=" and the text
// compressed with the browser's own CompressionStream, written in base64url without padding. The
// "deflate" format (zlib's) ends with a checksum of the text, so a link damaged on its way reads
// as an error instead of as another session. Used by the page and by the node test.
'use strict';

const kSessionLinkKey = 'session=';
const kSessionLinkFormat = 'deflate';
// A link expands to at most this many bytes: a hostile one cannot fill the tab's memory.
const kSessionLinkMaxBytes = 16 * 1024 * 1024;

// The bytes of a stream, or null once they pass `limit`.
async function readSessionStream(stream, limit) {
  const reader = stream.getReader();
  const chunks = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > limit) {
      reader.cancel().catch(() => {});
      return null;
    }
    chunks.push(value);
  }
  const bytes = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  return bytes;
}

function toBase64url(bytes) {
  let binary = '';
  // In slices: an argument list has a length limit.
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64url(text) {
  // atob would also pass over spaces and padding; a length of 4n+1 holds no whole byte.
  if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1) {
    throw new Error('the session in the link is not base64url');
  }
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// The fragment (without "#") that carries a scenario text; throws an Error that says why when the
// text is longer than a link may expand to, as decodeSessionLink would refuse it.
async function encodeSessionLink(text) {
  const blob = new Blob([text]);
  if (blob.size > kSessionLinkMaxBytes) {
    throw new Error('the session is ' + (blob.size / (1024 * 1024)).toFixed(1) +
      ' MiB, more than the ' + kSessionLinkMaxBytes / (1024 * 1024) +
      ' MiB a link may carry: Save scenario writes it to a file');
  }
  const stream = blob.stream().pipeThrough(new CompressionStream(kSessionLinkFormat));
  return kSessionLinkKey + toBase64url(await readSessionStream(stream, Infinity));
}

// The scenario text a fragment (with or without "#") carries; throws an Error that says what is
// wrong with it. Whether the text is a scenario is the parser's to say.
async function decodeSessionLink(fragment) {
  const body = fragment.replace(/^#/, '');
  if (!body.startsWith(kSessionLinkKey)) {
    throw new Error('the address\'s fragment does not start with "' + kSessionLinkKey + '"');
  }
  const compressed = fromBase64url(body.slice(kSessionLinkKey.length));
  let bytes;
  try {
    const stream = new Blob([compressed])
      .stream()
      .pipeThrough(new DecompressionStream(kSessionLinkFormat));
    bytes = await readSessionStream(stream, kSessionLinkMaxBytes);
  } catch (e) {
    throw new Error('the session in the link does not decompress: ' + e.message);
  }
  if (bytes === null) {
    throw new Error('the session in the link expands to more than ' +
      kSessionLinkMaxBytes / (1024 * 1024) + ' MiB');
  }
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch (e) {
    throw new Error('the session in the link is not UTF-8 text');
  }
}

if (typeof module !== 'undefined') module.exports = { encodeSessionLink, decodeSessionLink };
