// Reads an MLG log with the mlg-converter package from the npm registry, an engine-log reader
// written apart from Quillmark, and prints what it found as JSON on standard output.
//
//   node read-mlg.js NODE_MODULES_DIR FILE.mlg
//
// That reader takes only version 1 of the format. A version 2 file is handed to it as version 1
// by the two documented differences alone: the info text's offset is four bytes, not two, and
// each channel descriptor carries a 34-byte category after its 55 bytes. The header's own
// counts and offsets place every byte, so a version 2 file whose header does not agree with its
// contents comes out wrong here too.
'use strict';
const fs = require('fs');
const path = require('path');

const [moduleDir, file] = process.argv.slice(2);
const { Parser } = require(path.join(moduleDir, 'mlg-converter'));

function asVersion1(v2) {
    const fields = v2.readUInt16BE(22);
    const infoStart = v2.readUInt32BE(12);
    const dataBegin = v2.readUInt32BE(16);
    const descriptorsEnd = 24 + fields * 89;
    const shrink = 2 + fields * 34;
    const header = Buffer.alloc(22);
    v2.copy(header, 0, 0, 12);
    header.writeInt16BE(1, 6);
    header.writeUInt16BE(infoStart - shrink, 12);
    header.writeUInt32BE(dataBegin - shrink, 14);
    v2.copy(header, 18, 20, 24);
    const descriptors = [];
    for (let i = 0; i < fields; ++i) {
        descriptors.push(v2.subarray(24 + i * 89, 24 + i * 89 + 55));
    }
    return Buffer.concat([header, ...descriptors, v2.subarray(descriptorsEnd)]);
}

// The package's parser reads a marker's text but leaves it out of its records; the texts are
// taken as its own walk through the blocks reads them.
class MarkerTexts extends Parser {
    constructor(buffer) {
        super(buffer);
        this.messages = [];
        this.inBlocks = false;
    }
    parseDataBlocks() {
        this.inBlocks = true;
        super.parseDataBlocks();
    }
    string(length) {
        const text = super.string(length);
        if (this.inBlocks && length === this.MARKER_MESSAGE_LENGTH) {
            this.messages.push(text.replace(/\0+$/u, ''));
        }
        return text;
    }
}

let bytes = fs.readFileSync(file);
const writtenVersion = bytes.readInt16BE(6);
if (writtenVersion === 2) {
    bytes = asVersion1(bytes);
}
const parser = new MarkerTexts(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
const result = parser.parse();
result.writtenVersion = writtenVersion;
result.messages = parser.messages;
// NaN (a failed read) has no JSON form; it goes over as null.
process.stdout.write(JSON.stringify(result, (key, value) =>
    (typeof value === 'number' && Number.isNaN(value) ? null : value)));
