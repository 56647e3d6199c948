// One participant of a lesson's room, as the engine joins it: a publisher with id = the uid
// in decimal and the channel key as token, whose display text states what it sends, and one
// subscription per other publisher. Once a second it posts what it receives from each one,
// from the connections' statistics, to the page's own server ("/report"); a failure is
// posted as {"error": why}.
'use strict';

const kRoomPlugin = 'janus.plugin.videoroom';
const kReportEveryMs = 1000;
const kGatheringLimitMs = 10000;

const lesson = Object.fromEntries(new URLSearchParams(location.search));
const remotes = new Map();  // uid -> {handle, connection, element}
let session;
let publishing;  // the local media's connection, held for the page's life
let startedAt;

function postReport(report) {
  return fetch('/report', {method: 'POST', body: JSON.stringify(report)});
}

function fail(why) {
  if (session) session.close();
  session = null;
  postReport({error: String(why)});
}

// A room id as a uid: decimal, within 32 bits, not 0; null otherwise.
function uidFromId(id) {
  const text = String(id);
  if (!/^[0-9]{1,10}$/.test(text)) return null;
  const uid = Number(text);
  return uid > 0 && uid <= 0xFFFFFFFF ? uid : null;
}

// Every candidate goes into the description, as the engine sends it: no trickling.
function gathered(connection) {
  if (connection.iceGatheringState === 'complete') return Promise.resolve();
  return new Promise((resolve, reject) => {
    const limit = setTimeout(() => reject(new Error('ICE gathering never completed')),
                             kGatheringLimitMs);
    connection.addEventListener('icegatheringstatechange', () => {
      if (connection.iceGatheringState !== 'complete') return;
      clearTimeout(limit);
      resolve();
    });
  });
}

function description(connection) {
  const local = connection.localDescription;
  return {type: local.type, sdp: local.sdp, trickle: false};
}

async function publish(handle) {
  const stream = await navigator.mediaDevices.getUserMedia(
      {audio: true, video: {width: 640, height: 480, frameRate: 15}});
  const connection = new RTCPeerConnection();
  for (const track of stream.getTracks()) {
    connection.addTransceiver(track, {direction: 'sendonly', streams: [stream]});
  }
  await connection.setLocalDescription(await connection.createOffer());
  await gathered(connection);
  const answer = await session.message(handle, {request: 'configure', audio: true, video: true},
                                       description(connection));
  if (!answer.jsep) throw new Error('the media server did not answer the offer');
  await connection.setRemoteDescription(answer.jsep);
  // The lesson's size stays: a loaded machine sends fewer frames, not smaller ones.
  for (const sender of connection.getSenders()) {
    if (!sender.track || sender.track.kind !== 'video') continue;
    const parameters = sender.getParameters();
    parameters.degradationPreference = 'maintain-resolution';
    await sender.setParameters(parameters);
  }
  return connection;
}

async function subscribe(uid) {
  const remote = {};
  remotes.set(uid, remote);
  remote.handle = await session.attach(kRoomPlugin);
  const offer = await session.message(remote.handle, {
    request: 'join', ptype: 'subscriber', room: lesson.room, token: lesson.key,
    streams: [{feed: String(uid)}]});
  if (!offer.jsep) throw new Error(`the subscription to ${uid} came without an offer`);
  remote.connection = new RTCPeerConnection();
  remote.element = document.createElement('video');
  remote.element.autoplay = true;
  remote.element.playsInline = true;
  document.getElementById('remotes').appendChild(remote.element);
  remote.connection.ontrack = event => {
    if (!remote.element.srcObject) remote.element.srcObject = new MediaStream();
    remote.element.srcObject.addTrack(event.track);
  };
  await remote.connection.setRemoteDescription(offer.jsep);
  await remote.connection.setLocalDescription(await remote.connection.createAnswer());
  await gathered(remote.connection);
  await session.message(remote.handle, {request: 'start'}, description(remote.connection));
}

function unsubscribe(uid) {
  const remote = remotes.get(uid);
  if (!remote) return;
  remotes.delete(uid);
  if (remote.connection) remote.connection.close();
  if (remote.element) remote.element.remove();
  if (remote.handle && session) session.detach(remote.handle);
}

// The room's answers and events: publishers to subscribe to, and those who went.
function applyRoom(data) {
  for (const publisher of data.publishers || []) {
    const uid = uidFromId(publisher.id);
    if (uid === null || uid === Number(lesson.uid) || remotes.has(uid)) continue;
    subscribe(uid).catch(error => fail(`subscription to ${uid}: ${error.message}`));
  }
  for (const gone of [data.leaving, data.unpublished]) {
    const uid = gone === undefined ? null : uidFromId(gone);
    if (uid !== null) unsubscribe(uid);
  }
}

// What the connection received, as quorvel-peer reports it: frames decoded, the picture's
// size and the audio level on the engine's scale of 0 to 255.
async function received(connection) {
  const seen = {frames: 0, width: 0, height: 0, level: 0};
  if (!connection) return seen;
  const stats = await connection.getStats();
  stats.forEach(entry => {
    if (entry.type !== 'inbound-rtp') return;
    if (entry.kind === 'video') {
      seen.frames = entry.framesDecoded || 0;
      seen.width = entry.frameWidth || 0;
      seen.height = entry.frameHeight || 0;
    } else if (entry.kind === 'audio') {
      seen.level = Math.round((entry.audioLevel || 0) * 255);
    }
  });
  return seen;
}

async function report() {
  if (!session) return;
  const line = {t: Math.round((performance.now() - startedAt) / 1000), joined: true,
                remotes: {}};
  for (const [uid, remote] of remotes) line.remotes[uid] = await received(remote.connection);
  await postReport(line);
}

async function join() {
  startedAt = performance.now();
  let publisherHandle;
  session = await JanusSession.open(lesson.server, (sender, event) => {
    if (sender === publisherHandle && event.plugindata) applyRoom(event.plugindata.data);
  }, why => fail(why));
  publisherHandle = await session.attach(kRoomPlugin);
  const joined = await session.message(publisherHandle, {
    request: 'join', ptype: 'publisher', room: lesson.room, id: String(lesson.uid),
    token: lesson.key, display: 'audio=on video=on'});
  if (joined.data.videoroom !== 'joined') throw new Error('the media room did not let us in');
  publishing = await publish(publisherHandle);
  applyRoom(joined.data);
  setInterval(() => report().catch(error => fail(`report: ${error.message}`)), kReportEveryMs);
}

join().catch(error => fail(error.message));
