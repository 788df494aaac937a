// glTF check: runs the Khronos glTF validator over .gltf/.glb files and fails on any error it reports.
//
// usage: node validate-gltf.js VALIDATOR_FOLDER FILE...
// VALIDATOR_FOLDER is where `npm install gltf-validator` was run (the build
// tree's copy; scripts/install-gltf-validator.sh puts it there). Prints each
// file's counts of errors, warnings, infos and hints, then every message.
'use strict';

const fs = require('fs');
const path = require('path');

const [folder, ...files] = process.argv.slice(2);
if (folder === undefined || files.length === 0) {
    console.error('usage: node validate-gltf.js VALIDATOR_FOLDER FILE...');
    process.exit(2);
}

let validator;
try {
    validator = require(path.resolve(folder, 'node_modules', 'gltf-validator'));
} catch (error) {
    console.error(`validate-gltf: no gltf-validator in ${folder} (scripts/install-gltf-validator.sh installs it): ` +
                  error.message);
    process.exit(1);
}

const severities = ['error', 'warning', 'info', 'hint'];

async function validate(file) {
    let bytes;
    try {
        bytes = fs.readFileSync(file);
    } catch (error) {
        console.error(`validate-gltf: ${file}: ${error.message}`);
        return false;
    }
    // Resources outside the file are refused: the files checked here embed everything.
    const report = await validator.validateBytes(new Uint8Array(bytes), {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) => Promise.reject(new Error(`external resource ${uri} not allowed`)),
    });
    const issues = report.issues;
    console.log(`${file}: gltf-validator ${report.validatorVersion}: ${issues.numErrors} errors, ` +
                `${issues.numWarnings} warnings, ${issues.numInfos} infos, ${issues.numHints} hints`);
    for (const message of issues.messages) {
        const where = message.pointer !== undefined ? ` at ${message.pointer}` : '';
        console.log(`  ${severities[message.severity]} ${message.code}${where}: ${message.message}`);
    }
    return issues.numErrors === 0;
}

(async () => {
    let passed = true;
    for (const file of files) {
        try {
            passed = (await validate(file)) && passed;
        } catch (error) {
            console.error(`validate-gltf: ${file} could not be validated: ${error}`);
            passed = false;
        }
    }
    process.exit(passed ? 0 : 1);
})();
